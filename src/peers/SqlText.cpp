#include "peers/SqlText.h"

QString quotedSqlText(const QString& text, QChar quote) {
    QString doubled = text;
    doubled.replace(quote, QString(2, quote));
    return quote + doubled + quote;
}
