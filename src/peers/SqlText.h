#pragma once

#include <QChar>
#include <QString>

// `text` as an SQL literal or identifier wrapped in `quote`, every inner `quote` doubled, so no
// text can end the quoted part early. Every statement built for the database service quotes
// through here.
QString quotedSqlText(const QString& text, QChar quote = QLatin1Char('\''));
