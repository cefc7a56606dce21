#pragma once

#include <QByteArray>
#include <QString>

// Runs one XSLT transformation in memory: `document` (an XML text) through the stylesheet file
// at `stylesheetPath`. Answers the output; when the processor fails, the output it made so far
// followed by its error text, so the reader of the file sees why it is not what they expected.
// Warnings of the processor are dropped. Each call has its own processor, so calls may run
// concurrently.
QByteArray transformXslt(const QByteArray& document, const QString& stylesheetPath);
