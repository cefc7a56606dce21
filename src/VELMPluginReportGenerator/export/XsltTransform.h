#pragma once

#include <QByteArray>
#include <QString>

// Runs one XSLT transformation in memory: `document` (an XML text) through the stylesheet file
// at `stylesheetPath`. Answers the output; when the processor fails, the output it made so far
// followed by its error text, so the reader of the file sees why it is not what they expected.
// Warnings of the processor are dropped. Each call has its own processor, so calls may run
// concurrently. The processor parses `document` into its own tree first and lets the text go
// before transforming: hand it over with std::move where the caller no longer needs it.
QByteArray transformXslt(QByteArray document, const QString& stylesheetPath);
