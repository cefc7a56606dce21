#include "VELMPluginReportGenerator/export/ExportFormat.h"

#include <QDateTime>

namespace exportFormat {

Format byName(const QString& fileFormat) {
    // Format names and extensions as clients and the installed stylesheets spell them.
    if (fileFormat == QLatin1String("CSV"))
        return {Maker::Stylesheet, QStringLiteral("csv")};
    if (fileFormat == QLatin1String("HTML") || fileFormat == QLatin1String("HTM"))
        return {Maker::Stylesheet, QStringLiteral("htm")};
    if (fileFormat == QLatin1String("XML"))
        return {Maker::Document, QStringLiteral("xml")};
    return {};
}

QString fileName(qint64 creationTime, const QString& extension) {
    const QDateTime created = QDateTime::fromSecsSinceEpoch(creationTime, Qt::LocalTime);
    return QStringLiteral("Report_") + created.toString(QStringLiteral("yyyyMMdd_hhmmss")) +
           QLatin1Char('.') + extension;
}

QString stylesheetPath(const QString& installation, const QString& locale, const QString& baseName,
                       const QString& extension) {
    return installation + QStringLiteral("/html/") + locale +
           QStringLiteral("/modules/report/content/reports/") + baseName + QLatin1Char('_') +
           extension + QStringLiteral(".xsl");
}

} // namespace exportFormat
