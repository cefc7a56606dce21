#include "VELMPluginReportGenerator/email/ReportAttachments.h"

#include "VELMPluginReportGenerator/export/ExportFormat.h"
#include "VELMPluginReportGenerator/export/ExportLocale.h"
#include "VELMPluginReportGenerator/export/InstallationPath.h"
#include "VELMPluginReportGenerator/export/ReportExport.h"
#include "VELMPluginReportGenerator/report/VELMReport.h"

#include "VXNServiceFramework/app/Log.h"

#include <QFileInfo>

namespace {

// The web service keeps what it serves below the installation's html directory.
QString servedFile(const QString& servedPath) {
    return installationPath() + QStringLiteral("/html/") + servedPath;
}

// Why the export in `fileFormat` will not hold the report; empty when it will. Such an export
// still makes a file (an empty one, or the processor's error text) and the mail carries it as
// the caller asked, so the log is where the reason is told.
QString whyNotTheReport(VELMReport& report, const QString& fileFormat, const QString& locale) {
    const exportFormat::Format format = exportFormat::byName(fileFormat);
    if (format.maker == exportFormat::Maker::Nothing)
        return QStringLiteral("there is no export format \"%1\"").arg(fileFormat);
    if (format.maker != exportFormat::Maker::Stylesheet)
        return {};
    const std::optional<QString> path =
        exportStylesheetPath(report.reportType(), report.groupBy(), format.extension, locale);
    if (!path)
        return QStringLiteral("the locale \"%1\" is not a plain name")
            .arg(exportLocale::effective(locale));
    const QString& stylesheet = *path;
    if (!QFileInfo(stylesheet).isReadable())
        return QStringLiteral("its stylesheet %1 cannot be read").arg(stylesheet);
    return {};
}

} // namespace

QStringList reportAttachments(VELMReport& report, const QStringList& fileFormats,
                              const QString& locale, PeerCaller& caller) {
    if (const QString chart = report.chartPath(); !chart.isEmpty())
        return {servedFile(chart)};
    QStringList files;
    for (const QString& format : fileFormats) {
        // A format left out or carrying no report is said in the log only: the answer to the
        // mail request keeps its form, and the message goes with the other files.
        const ExportOutcome exported = exportAndUpload(report, format, locale, caller);
        if (exported.filePath.isEmpty()) {
            VELM_ERR << "Report " << report.id() << " mailed without its " << format
                     << " file: the exported file was not stored by the web service ("
                     << exported.result << " " << exported.details << ")";
            continue;
        }
        files.append(servedFile(exported.filePath));
        if (const QString why = whyNotTheReport(report, format, locale); !why.isEmpty())
            VELM_ERR << "Report " << report.id() << " mailed with a " << format
                     << " file that does not hold the report: " << why;
    }
    return files;
}
