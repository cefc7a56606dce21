#include "ExportFixture.h"

#include "support/PacketCall.h"
#include "support/Stylesheets.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPExportReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPExportReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"
#include "VELMPluginReportGenerator/export/ReportExport.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "peers/CmdDBSProcessQueryRequest.h"
#include "peers/CmdDBSProcessQueryResponse.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
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
    const QString database = installation.path() + QStringLiteral("/fleet.db");
    ASSERT_TRUE(QFile::copy(fleetDir->filePath("fleet.db"), database));
    ASSERT_TRUE(stylesheets::install(webRoot()));
    ASSERT_TRUE(peers.startPeers(database, webRoot())) << peers.output().toStdString();
    ASSERT_TRUE(report.startReport(installation.path() + QStringLiteral("/report"), peers.url()))
        << report.output().toStdString();
}

void ExportFixture::TearDown() {
    report.terminate();
    peers.terminate();
    // VELM_KEEP_EXPORTS=<dir> keeps the exported files and screenshots there, to look at.
    const QString keep = qEnvironmentVariable("VELM_KEEP_EXPORTS");
    if (keep.isEmpty())
        return;
    const QString test =
        QString::fromUtf8(testing::UnitTest::GetInstance()->current_test_info()->name());
    const QDir target(QDir(keep).filePath(test));
    target.mkpath(QStringLiteral("."));
    QDirIterator files(installation.path(), {"*.png", "*.htm", "*.csv"}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo file(files.next());
        QFile::copy(file.filePath(), target.filePath(file.dir().dirName() + "-" + file.fileName()));
    }
}

QString ExportFixture::webRoot() const {
    return installation.path() + QStringLiteral("/html");
}

QString ExportFixture::screenshotPath(const QString& file, const QString& locale) const {
    return installation.path() + QLatin1Char('/') + QFileInfo(file).dir().dirName() +
           QLatin1Char('-') + locale + QStringLiteral(".png");
}

void ExportFixture::changeDatabase(const QString& sql) {
    CmdDBSProcessQueryRequest request;
    request.addQuery(sql);
    const auto answer = callOverHttp<CmdDBSProcessQueryResponse>(peers.url(), request);
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
}

QString ExportFixture::generateReport(const QHash<QString, QString>& parameters,
                                      const QStringList& devices, const QStringList& groups) {
    ReportDefinition definition;
    for (auto it = parameters.begin(); it != parameters.end(); ++it)
        definition.parameters.insert(it.key(), it.value());
    definition.selection.deviceIds = devices;
    definition.selection.groupIds = groups;
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

namespace {

ExportedFile fileBelow(const QString& webRoot, const QString& path) {
    ExportedFile file{QDir(webRoot).filePath(path), {}};
    QFile stored(file.path);
    if (stored.open(QIODevice::ReadOnly))
        file.bytes = stored.readAll();
    return file;
}

} // namespace

ExportedFile ExportFixture::exportReport(const QString& id, const QString& format,
                                         const QString& locale) {
    CmdRGPExportReportRequest request;
    request.reportId = id;
    request.fileFormat = format;
    request.locale = locale;
    const auto answer = callOverHttp<CmdRGPExportReportResponse>(report.url(), request);
    EXPECT_EQ(answer->result(), 0) << answer->details().toStdString();
    EXPECT_FALSE(answer->filePath.isEmpty());
    return fileBelow(webRoot(), answer->filePath);
}

ExportedFile ExportFixture::exportDocumentAs(const QByteArray& document, const QString& type,
                                             const QString& groupBy, const QString& format,
                                             const QString& locale) {
    ExportSource source;
    source.documentText = document;
    source.reportType = reportRegistry::reportTypeFromName(type).value_or(-1);
    source.groupBy = groupBy;
    source.creationTime = QDateTime::currentSecsSinceEpoch();
    const ExportFile made = makeExportFile(source, format, locale);
    // Where the web service keeps an upload: temp/<folder of its own>/<file name>.
    const QString path = QStringLiteral("temp/") + QUuid::createUuid().toString(QUuid::Id128) +
                         QLatin1Char('/') + made.name;
    if (!QDir(webRoot()).mkpath(QFileInfo(path).path()))
        return {};
    QFile file(QDir(webRoot()).filePath(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(made.data) != made.data.size())
        return {};
    file.close();
    return fileBelow(webRoot(), path);
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

const QStringList deviceListColumns{"DeviceID", "ModelName", "IP",       "MAC",
                                    "Status",   "HostName",  "Location", "Serial"};
const QStringList currentTotalPagesColumns{
    "deviceid",      "IP",           "ModelName",           "Serial",       "CountMarker",
    "Print_Counter", "Copy_Counter", "IncomingFax_Counter", "Scan_Counter", "Report_Counter"};

const QStringList alertHistoryColumns{"TimeValue", "AlertTime",  "SeverityLevel", "TrainingLevel",
                                      "AlertCode", "AlertGroup", "Description"};

QStringList childTextsInOrder(const dom::Element* parent, const QStringList& names) {
    for (const dom::Element* child : childElements(parent))
        EXPECT_TRUE(names.contains(dom::name(child))) << dom::name(child).toStdString();
    QStringList texts;
    for (const QString& name : names)
        texts.append(dom::textContent(dom::firstChild(parent, name)));
    return texts;
}

QStringList childTexts(const dom::Element* parent) {
    QStringList texts;
    for (const dom::Element* child : childElements(parent))
        texts.append(dom::textContent(child));
    return texts;
}
