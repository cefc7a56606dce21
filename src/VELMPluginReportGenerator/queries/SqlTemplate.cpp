#include "VELMPluginReportGenerator/queries/SqlTemplate.h"

SqlTemplate& SqlTemplate::set(int placeholder, const QString& value) {
    m_text.replace(token(placeholder), value);
    return *this;
}

SqlTemplate& SqlTemplate::set(int placeholder, qint64 value) {
    return set(placeholder, QString::number(value));
}

SqlTemplate& SqlTemplate::setReportId(int reportId) {
    return set(reportIdPlaceholder,
               QLatin1Char('_') + QString::number(reportId) + QLatin1Char('_'));
}

QString SqlTemplate::token(int placeholder) {
    return QStringLiteral("_%") + QString::number(placeholder) + QLatin1Char('_');
}

QString fillBareMarker(QString text, const QString& value) {
    return text.replace(QStringLiteral("%1"), value);
}
