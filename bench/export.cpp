// Export of a device list of 50,000 rows (a generated fleet), each run paired with xsltproc
// running the same stylesheet on the same document (the XML export of that report):
//  - the transformation alone, in this process: of the document text (transformXslt) and of
//    the processor's tree built straight from the report's nodes (as the service does);
//  - RGPExportReport over the protocol against velm-report, uploading to velm-peers, with the
//    peak memory of velm-report (and of velm-peers, which receives the file) above its idle size.
//    Each format runs against freshly started processes holding a freshly made report: memory
//    that an earlier export freed stays with the process and would hide the next one's peak.
// Stylesheets: $VELM_EXPORT_SHEETS (a directory holding ReportResult_type2_htm.xsl and
// ReportResult_type2_csv.xsl), else stylesheets/en of the source tree, else bench/export_sheets.
// The fleet database is kept at $VELM_EXPORT_FLEET (default: export-fleet.db in the build).
#include "VELMPluginReportGenerator/Commands/CmdRGPExportReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPExportReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"
#include "VELMPluginReportGenerator/export/DomSourceTree.h"
#include "VELMPluginReportGenerator/export/ExportDocument.h"
#include "VELMPluginReportGenerator/export/XsltTransform.h"
#include "VXNServiceFramework/dom/DomParser.h"
#include "peers/CmdWebUploadTemporaryFileRequest.h"
#include "suite/FleetGenerator.h"
#include "support/ChildProcess.h"
#include "support/PacketCall.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <malloc.h>
#include <memory>
#include <xercesc/dom/DOM.hpp>

namespace {

constexpr int rows = 50000;
const char* const extensions[] = {"htm", "csv"};
const char* const formats[] = {"HTML", "CSV", "XML"};

QString stylesheetDirectory() {
    const QString chosen = qEnvironmentVariable("VELM_EXPORT_SHEETS");
    if (!chosen.isEmpty())
        return chosen;
    const QString installed = QStringLiteral(VELM_SOURCE_DIR "/stylesheets/en");
    if (QFile::exists(installed + "/ReportResult_type2_htm.xsl"))
        return installed;
    return QStringLiteral(VELM_SOURCE_DIR "/bench/export_sheets");
}

QString fleetPath() {
    const QString chosen = qEnvironmentVariable("VELM_EXPORT_FLEET");
    return chosen.isEmpty() ? QStringLiteral(VELM_BINARY_DIR "/export-fleet.db") : chosen;
}

QByteArray fileAt(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Resets the peak resident size of `pid` to its current size; its current size in MB.
double resetPeak(qint64 pid);

// A /proc/<pid>/status value in MB.
double statusMb(qint64 pid, const QByteArray& key) {
    for (const QByteArray& line : fileAt(QStringLiteral("/proc/%1/status").arg(pid)).split('\n'))
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

double resetPeak(qint64 pid) {
    if (pid == QCoreApplication::applicationPid())
        malloc_trim(0); // freed memory back first, so idle is what is in use
    QFile clear(QStringLiteral("/proc/%1/clear_refs").arg(pid));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    return statusMb(pid, "VmRSS");
}

// The installation (settings, stylesheets, web root), velm-peers and velm-report, and one
// finished device list over every device.
struct Setup {
    QTemporaryDir dir;
    QString sheets = dir.filePath("html/en/modules/report/content/reports");
    std::unique_ptr<ChildProcess> peers;
    std::unique_ptr<ChildProcess> report;
    QString reportId;
    QString documentPath = dir.filePath("document.xml");
    QByteArray document;
    int starts = 0;

    Setup() {
        if (!QFile::exists(fleetPath())) {
            std::fprintf(stderr, "generating a fleet of %d devices at %s\n", rows,
                         qPrintable(fleetPath()));
            generateFleet(fleetPath(), {rows, 1, 1, defaultFleetEnd()});
        }
        QDir().mkpath(dir.filePath("xdg/Kestrane"));
        QFile conf(dir.filePath("xdg/Kestrane/Quillex.conf"));
        conf.open(QIODevice::WriteOnly);
        conf.write("[General]\nPath=" + dir.path().toUtf8() + "\n");
        conf.close();
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(dir.filePath("xdg")));
        QDir().mkpath(sheets);
        // Every stylesheet of the locale, for those the two import (copies of linked files).
        const QDir source(stylesheetDirectory());
        for (const QString& name : source.entryList({"*.xsl"}, QDir::Files))
            QFile::copy(source.filePath(name), sheets + "/" + name);
        std::fprintf(stderr, "stylesheets: %s\n", qPrintable(stylesheetDirectory()));
        freshServices();
        document = fileAt(dir.filePath("html/") + exportOverProtocol("XML"));
        QFile out(documentPath);
        out.open(QIODevice::WriteOnly);
        out.write(document);
    }

    // Both processes started anew, and the report made again.
    void freshServices() {
        report.reset();
        peers.reset();
        peers = std::make_unique<ChildProcess>();
        report = std::make_unique<ChildProcess>();
        // Each start from its own copy of velm-report: the earlier one is still linked.
        const QString reportDir = dir.filePath(QStringLiteral("report-%1").arg(++starts));
        if (!peers->startPeers(fleetPath(), dir.filePath("html")) ||
            !report->startReport(reportDir, peers->url()))
            qFatal("the processes did not start");
        reportId = finishedDeviceList();
    }

    QString finishedDeviceList() {
        CmdRGPGenerateReportRequest generate;
        ReportDefinition definition;
        definition.parameters.insert("ReportType", "RT_DEVICE_LIST");
        generate.definition = definition;
        const QString id =
            callOverHttp<CmdRGPGenerateReportResponse>(report->url(), generate)->reportId;
        for (;;) {
            CmdRGPGetReportStatusRequest status;
            status.reportId = id;
            const auto answer = callOverHttp<CmdRGPGetReportStatusResponse>(report->url(), status);
            if (answer->result() != 0)
                qFatal("the report failed: %s", qPrintable(answer->details()));
            if (answer->reportStatus == "100")
                return id;
            QThread::msleep(100);
        }
    }

    QString exportOverProtocol(const QString& format) {
        CmdRGPExportReportRequest request;
        request.reportId = reportId;
        request.fileFormat = format;
        request.locale = "en";
        return callOverHttp<CmdRGPExportReportResponse>(report->url(), request)->filePath;
    }

    QString stylesheet(int kind) const {
        return sheets + QStringLiteral("/ReportResult_type2_%1.xsl").arg(extensions[kind]);
    }

    double xsltprocSeconds(int kind) const {
        QElapsedTimer timer;
        timer.start();
        QProcess tool;
        tool.start("xsltproc", {"-o", "/dev/null", stylesheet(kind), documentPath});
        tool.waitForFinished(600000);
        return double(timer.nsecsElapsed()) / 1e9;
    }

    static Setup& instance() {
        static Setup setup;
        return setup;
    }
};

// Runs `transform` (answering the output) paired with xsltproc on the same stylesheet, with the
// peak memory of this process above its idle size.
template <class Transform>
void pairedWithXsltproc(benchmark::State& state, int kind, const Transform& transform) {
    Setup& setup = Setup::instance();
    state.SetLabel(formats[kind]);
    transform(); // starts the processor
    double ours = 0;
    double tool = 0;
    double peakAboveIdle = 0;
    qsizetype bytes = 0;
    const qint64 self = QCoreApplication::applicationPid();
    for (auto _ : state) {
        state.PauseTiming();
        const double idle = resetPeak(self);
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        bytes = transform().size();
        ours += double(timer.nsecsElapsed()) / 1e9;
        state.PauseTiming();
        peakAboveIdle = std::max(peakAboveIdle, statusMb(self, "VmHWM") - idle);
        tool += setup.xsltprocSeconds(kind);
        state.ResumeTiming();
    }
    state.counters["output_MB"] = double(bytes) / 1e6;
    state.counters["peak_MB_above_idle"] = peakAboveIdle;
    state.counters["xsltproc_ms"] =
        benchmark::Counter(tool * 1000, benchmark::Counter::kAvgIterations);
    state.counters["x_xsltproc"] = ours / tool;
}

// The transformation of the document text, as for a stylesheet that sees the indentation.
void BM_Transform(benchmark::State& state) {
    Setup& setup = Setup::instance();
    const int kind = int(state.range(0));
    pairedWithXsltproc(state, kind,
                       [&] { return transformXslt(setup.document, setup.stylesheet(kind)); });
}
BENCHMARK(BM_Transform)
    ->DenseRange(0, 1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// Drops the indentation the XML export carries between elements: the report's own nodes have
// none.
void dropIndentation(xercesc::DOMNode* node) {
    for (xercesc::DOMNode* child = node->getFirstChild(); child;) {
        xercesc::DOMNode* next = child->getNextSibling();
        if (child->getNodeType() == xercesc::DOMNode::TEXT_NODE &&
            QStringView(child->getNodeValue()).trimmed().isEmpty() &&
            (child->getPreviousSibling() || next))
            node->removeChild(child)->release();
        else
            dropIndentation(child);
        child = next;
    }
}

// The transformation of the processor's tree built straight from the report's nodes, as the
// service does for stylesheets that strip whitespace.
void BM_TransformFromNodes(benchmark::State& state) {
    Setup& setup = Setup::instance();
    const int kind = int(state.range(0));
    const dom::ParseResult parsed = dom::parse(setup.document);
    dropIndentation(parsed.document.root());
    pairedWithXsltproc(state, kind, [&] {
        XsltRun run(setup.stylesheet(kind));
        auto tree = domSourceTree::build(
            exportDocumentParts(parsed.document.root()),
            [&](const char16_t* name) { return run.stripsWhitespaceIn(name); });
        if (!tree)
            qFatal("the stylesheet does not strip whitespace");
        return run.transform(std::move(tree));
    });
}
BENCHMARK(BM_TransformFromNodes)
    ->DenseRange(0, 1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// Peak memory above idle of one process: its resident size when idle, and its high-water mark
// since then.
struct PeakWatch {
    qint64 pid;
    double idle = resetPeak(pid);
    double peakAboveIdle() const { return statusMb(pid, "VmHWM") - idle; }
};

void BM_ExportOverProtocol(benchmark::State& state) {
    Setup& setup = Setup::instance();
    const int kind = int(state.range(0));
    const bool styled = kind < 2;
    state.SetLabel(formats[kind]);
    setup.freshServices();
    const PeakWatch service{setup.report->processId()};
    const PeakWatch peers{setup.peers->processId()};
    double ours = 0;
    double tool = 0;
    double fileMb = 0;
    double firstPeak = -1;
    bool uploaded = true;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const QString path = setup.exportOverProtocol(formats[kind]);
        ours += double(timer.nsecsElapsed()) / 1e9;
        state.PauseTiming();
        if (firstPeak < 0)
            firstPeak = service.peakAboveIdle();
        uploaded = uploaded && !path.isEmpty();
        fileMb = double(QFileInfo(setup.dir.filePath("html/") + path).size()) / 1e6;
        QFile::remove(setup.dir.filePath("html/") + path);
        if (styled)
            tool += setup.xsltprocSeconds(kind);
        state.ResumeTiming();
    }
    if (!uploaded)
        state.SkipWithError("an export was not uploaded");
    if (styled) {
        state.counters["xsltproc_ms"] =
            benchmark::Counter(tool * 1000, benchmark::Counter::kAvgIterations);
        state.counters["x_xsltproc"] = ours / tool;
    }
    state.counters["file_MB"] = fileMb;
    // The first export's peak, and the peak over all of them: what one export freed is not
    // always what the next can reuse.
    state.counters["peak_MB_above_idle"] = firstPeak;
    state.counters["peak_MB_above_idle_all"] = service.peakAboveIdle();
    state.counters["service_idle_MB"] = service.idle;
    state.counters["peers_peak_MB_above_idle"] = peers.peakAboveIdle();
}
BENCHMARK(BM_ExportOverProtocol)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// The parts of an export around the transformation, in this process: writing the document
// text from the report's tree, and the upload request carrying the HTML file.
void BM_DocumentText(benchmark::State& state) {
    Setup& setup = Setup::instance();
    const dom::ParseResult parsed = dom::parse(setup.document);
    qsizetype bytes = 0;
    double peakAboveIdle = 0;
    const qint64 self = QCoreApplication::applicationPid();
    for (auto _ : state) {
        state.PauseTiming();
        const double idle = resetPeak(self);
        state.ResumeTiming();
        bytes = exportDocumentText(parsed.document.root()).size();
        state.PauseTiming();
        peakAboveIdle = std::max(peakAboveIdle, statusMb(self, "VmHWM") - idle);
        state.ResumeTiming();
    }
    state.counters["text_MB"] = double(bytes) / 1e6;
    state.counters["peak_MB_above_idle"] = peakAboveIdle;
}
BENCHMARK(BM_DocumentText)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_UploadRequest(benchmark::State& state) {
    Setup& setup = Setup::instance();
    const QByteArray html = transformXslt(setup.document, setup.stylesheet(0));
    qsizetype bytes = 0;
    double peakAboveIdle = 0;
    const qint64 self = QCoreApplication::applicationPid();
    for (auto _ : state) {
        state.PauseTiming();
        const double idle = resetPeak(self);
        state.ResumeTiming();
        CmdWebUploadTemporaryFileRequest request;
        request.fileName = "Report_20080131_090451.htm";
        request.data = html;
        QByteArray body;
        request.serialize(body);
        bytes = body.size();
        state.PauseTiming();
        peakAboveIdle = std::max(peakAboveIdle, statusMb(self, "VmHWM") - idle);
        state.ResumeTiming();
    }
    state.counters["body_MB"] = double(bytes) / 1e6;
    state.counters["peak_MB_above_idle"] = peakAboveIdle;
}
BENCHMARK(BM_UploadRequest)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
