#include "VELMPluginReportGenerator/email/ReportAttachments.h"

#include "VELMPluginReportGenerator/export/InstallationPath.h"
#include "VELMPluginReportGenerator/export/ReportExport.h"
#include "VELMPluginReportGenerator/report/VELMReport.h"

namespace {

// The web service keeps what it serves below the installation's html directory.
QString servedFile(const QString& servedPath) {
    return installationPath() + QStringLiteral("/html/") + servedPath;
}

} // namespace

QStringList reportAttachments(VELMReport& report, const QStringList& fileFormats,
                              const QString& locale, PeerCaller& caller) {
    if (const QString chart = report.chartPath(); !chart.isEmpty())
        return {servedFile(chart)};
    QStringList files;
    for (const QString& format : fileFormats) {
        // An export whose upload failed answers no path; attaching the bare html directory
        // would fail the whole mail, so only that format is left out.
        if (const QString path = exportReport(report, format, locale, caller); !path.isEmpty())
            files.append(servedFile(path));
    }
    return files;
}
