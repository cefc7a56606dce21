#include "ReportGeneratorFixture.h"

#include "ReportOutline.h"

#include <thread>

ReportDefinition reportDefinition(std::initializer_list<std::pair<QString, QString>> parameters,
                                  ReportSelection selection) {
    ReportDefinition definition;
    for (const auto& [name, value] : parameters)
        definition.parameters.insert(name, value);
    definition.selection = std::move(selection);
    return definition;
}

ReportGeneratorTest::ReportGeneratorTest(ReportSteps steps) {
    ReportGeneratorSetup setup;
    setup.steps = std::move(steps);
    setup.caller = &peers;
    setup.clock = [this] {
        return clock.now();
    };
    setup.collector.wait = std::chrono::hours(1);
    service = std::make_unique<VELMReportGenerator>(std::move(setup));
}

ReportGeneratorTest::~ReportGeneratorTest() {
    service.reset();
}

template <class Response>
static std::unique_ptr<Response> dispatched(Service& service, Packet& request) {
    std::unique_ptr<Packet> answer = service.dispatch(request);
    if (!answer)
        return nullptr;
    auto* typed = dynamic_cast<Response*>(answer.get());
    EXPECT_NE(typed, nullptr) << "answered " << answer->result() << " "
                              << answer->details().toStdString();
    if (!typed)
        return nullptr;
    answer.release();
    return std::unique_ptr<Response>(typed);
}

std::unique_ptr<CmdRGPGenerateReportResponse>
ReportGeneratorTest::generate(const ReportDefinition& definition) {
    CmdRGPGenerateReportRequest request;
    request.definition = definition;
    return dispatched<CmdRGPGenerateReportResponse>(*service, request);
}

int ReportGeneratorTest::start(const ReportDefinition& definition) {
    const auto answer = generate(definition);
    EXPECT_EQ(answer->result(), 0) << answer->details().toStdString();
    return answer->reportId.toInt();
}

std::unique_ptr<CmdRGPGetReportStatusResponse> ReportGeneratorTest::status(const QString& id) {
    CmdRGPGetReportStatusRequest request;
    request.reportId = id;
    return dispatched<CmdRGPGetReportStatusResponse>(*service, request);
}

std::unique_ptr<CmdRGPGetReportResultsResponse> ReportGeneratorTest::results(const QString& id) {
    CmdRGPGetReportResultsRequest request;
    request.reportId = id;
    auto answer = dispatched<CmdRGPGetReportResultsResponse>(*service, request);
    // Through the bytes, as a client reads it.
    QByteArray bytes;
    answer->serialize(bytes);
    auto read = std::make_unique<CmdRGPGetReportResultsResponse>();
    read->parse(bytes);
    return read;
}

std::unique_ptr<Packet> ReportGeneratorTest::cancel(const QString& id) {
    CmdRGPCancelReportRequest request;
    request.reportId = id;
    return service->dispatch(request);
}

std::unique_ptr<CmdRGPGetReportStatusResponse> ReportGeneratorTest::waitForEnd(int id) {
    for (;;) {
        auto answer = status(QString::number(id));
        if (answer->result() != 0 || answer->reportStatus == QStringLiteral("100"))
            return answer;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void ReportGeneratorTest::waitForThread(int id) {
    while (const auto report = service->findReport(id)) {
        if (!report->isRunning())
            return;
        std::this_thread::yield();
    }
}

QString ReportGeneratorTest::body(int id) {
    waitForEnd(id);
    return outline(results(QString::number(id))->body());
}

QString ReportGeneratorTest::info(int id) {
    waitForEnd(id);
    return outline(results(QString::number(id))->info());
}
