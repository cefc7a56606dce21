#include "VELMPluginReportGenerator/export/ExportLocale.h"

#include <QRegularExpression>

namespace exportLocale {

bool isPlainName(const QString& locale) {
    static const QRegularExpression plain(QStringLiteral("\\A[A-Za-z]+(?:[-_][A-Za-z0-9]+)?\\z"));
    return plain.match(locale).hasMatch();
}

QString effective(const QString& requested) {
    return requested.isEmpty() ? defaultLocale : requested;
}

} // namespace exportLocale
