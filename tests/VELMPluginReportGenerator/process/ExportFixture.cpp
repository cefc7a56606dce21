#include "ExportFixture.h"

#include "support/PacketCall.h"
#include "support/Stylesheets.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/dom/DomWriter.h"
#include "peers/CmdDBSProcessQueryRequest.h"
#include "peers/CmdDBSProcessQueryResponse.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QUuid>

std::unique_ptr<QTemporaryDir> ExportFixture::fleetDir;

namespace {
// Ten days hold alerts, a firmware upgrade and a counter reset.
constexpr int historyDays = 10;
} // namespace

void ExportFixture::SetUpTestSuite() {
    fleetDir = std::make_unique<QTemporaryDir>();
    QProcess generator;
    generator.start(QStringLiteral(VELM_BINARY_DIR "/bin/velm-peers"),
                    {QStringLiteral("--db"), fleetDir->filePath("fleet.db"),
                     QStringLiteral("--generate-fleet"), QStringLiteral("6"),
                     QStringLiteral("--days"), QString::number(historyDays)});
    generator.waitForFinished(120000);
}

void ExportFixture::TearDownTestSuite() {
    fleetDir.reset();
}

void ExportFixture::SetUp() {
    ASSERT_TRUE(dir.isValid());
    // VELM_KEEP_EXPORTS keeps the exported pages and screenshots to look at.
    if (qEnvironmentVariableIsSet("VELM_KEEP_EXPORTS")) {
        dir.setAutoRemove(false);
        std::printf("exports in %s\n", qPrintable(dir.path()));
    }
    ASSERT_TRUE(QFile::copy(fleetDir->filePath("fleet.db"), dir.filePath("fleet.db")));
    ASSERT_TRUE(stylesheets::install(webRoot()));
    ASSERT_TRUE(peers.startPeers(dir.filePath("fleet.db"), webRoot()))
        << peers.output().toStdString();
    ASSERT_TRUE(report.startReport(dir.filePath("report"), peers.url()))
        << report.output().toStdString();
}

void ExportFixture::TearDown() {
    report.terminate();
    peers.terminate();
}

QString ExportFixture::webRoot() const {
    return dir.filePath(QStringLiteral("html"));
}

void ExportFixture::changeDatabase(const QString& sql) {
    CmdDBSProcessQueryRequest request;
    request.addQuery(sql);
    const auto answer = callOverHttp<CmdDBSProcessQueryResponse>(peers.url(), request);
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
}

QString ExportFixture::generateReport(const QHash<QString, QString>& parameters,
                                      const QStringList& devices) {
    ReportDefinition definition;
    for (auto it = parameters.begin(); it != parameters.end(); ++it)
        definition.parameters.insert(it.key(), it.value());
    definition.selection.deviceIds = devices;
    CmdRGPGenerateReportRequest generate;
    generate.definition = definition;
    const auto started = callOverHttp<CmdRGPGenerateReportResponse>(report.url(), generate);
    EXPECT_EQ(started->result(), 0) << started->details().toStdString();
    for (;;) {
        CmdRGPGetReportStatusRequest status;
        status.reportId = started->reportId;
        const auto answer = callOverHttp<CmdRGPGetReportStatusResponse>(report.url(), status);
        if (answer->result() != 0) {
            ADD_FAILURE() << answer->details().toStdString();
            return {};
        }
        if (answer->reportStatus == QStringLiteral("100"))
            return started->reportId;
        QThread::msleep(20);
    }
}

dom::Document ExportFixture::exportDocument(const QString& id) {
    CmdRGPGetReportResultsRequest request;
    request.reportId = id;
    const auto results = callOverHttp<CmdRGPGetReportResultsResponse>(report.url(), request);
    EXPECT_EQ(results->result(), 0) << results->details().toStdString();
    auto document = dom::Document::create(QStringLiteral("VXNResponse"));
    if (results->info())
        dom::appendCopy(document.root(), results->info());
    if (results->body())
        dom::appendCopy(document.root(), results->body());
    return document;
}

ExportFixture::ExportedFile ExportFixture::exportReport(const QString& id, const QString& format,
                                                        const QString& locale) {
    const dom::Document document = exportDocument(id);
    const dom::Element* info = dom::firstChild(document.root(), QStringLiteral("Info"));
    const int type = reportRegistry::reportTypeFromName(
                         dom::textContent(dom::firstChild(info, QStringLiteral("ReportType"))))
                         .value_or(-1);
    const QString groupBy = dom::textContent(dom::firstChild(info, QStringLiteral("GroupBy")));
    return exportDocumentAs(dom::toUtf8(document.root(), dom::Layout::Pretty),
                            reportRegistry::stylesheetBaseName(type, groupBy), format, locale);
}

ExportFixture::ExportedFile ExportFixture::exportDocumentAs(const QByteArray& document,
                                                            const QString& baseName,
                                                            const QString& format,
                                                            const QString& locale) {
    const QString extension =
        format == QStringLiteral("CSV") ? QStringLiteral("csv") : QStringLiteral("htm");
    const QString stylesheet = QDir(stylesheets::installedDir(webRoot(), locale))
                                   .filePath(baseName + QLatin1Char('_') + extension + ".xsl");
    // Where the web service keeps an upload: temp/<folder of its own>/<file name>.
    const QString folder = QStringLiteral("temp/") + QUuid::createUuid().toString(QUuid::Id128);
    if (!QDir(webRoot()).mkpath(folder))
        return {};
    ExportedFile file;
    file.path = QDir(webRoot()).filePath(folder + QStringLiteral("/Report.") + extension);
    QProcess xsltproc;
    xsltproc.start(QStringLiteral("xsltproc"),
                   {QStringLiteral("-o"), file.path, stylesheet, QStringLiteral("-")});
    xsltproc.write(document);
    xsltproc.closeWriteChannel();
    xsltproc.waitForFinished(60000);
    EXPECT_EQ(xsltproc.exitCode(), 0) << xsltproc.readAllStandardError().toStdString();
    QFile result(file.path);
    if (result.open(QIODevice::ReadOnly))
        file.bytes = result.readAll();
    return file;
}

QHash<QString, QString> wholeHistory(QHash<QString, QString> parameters) {
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    parameters.insert(QStringLiteral("Period"), QStringLiteral("P_CUSTOM"));
    parameters.insert(QStringLiteral("From"), QString::number(now - (historyDays + 2) * 86400));
    parameters.insert(QStringLiteral("To"), QString::number(now));
    return parameters;
}

QList<const dom::Element*> childElements(const dom::Element* parent, const QString& name) {
    QList<const dom::Element*> found;
    dom::forEachChild(
        parent, [&](dom::Element* child) { found.append(child); }, name);
    return found;
}

QStringList childTexts(const dom::Element* parent) {
    QStringList texts;
    for (const dom::Element* child : childElements(parent))
        texts.append(dom::textContent(child));
    return texts;
}
