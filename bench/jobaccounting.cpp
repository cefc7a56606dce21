// The job accounting flow's own steps on a per-user basic result the size of the 500-device,
// 90-day fleet's (1,000 users, about 62,000 user-device records):
//  - the plug-in writing its result answer, and the flow reading it;
//  - the flow building the answer's Report into Body (appendJACReport), beside the same tree
//    built with the general DOM append from the top down, the way a document is usually built.
#include "VELMPluginReportGenerator/builders/ReportDocument.h"
#include "VELMPluginReportGenerator/jobaccounting/JACReportDom.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/JACPackets.h"

#include "VXNServiceFramework/dom/DomBuild.h"

#include <benchmark/benchmark.h>

namespace {

using namespace JACReport;
using BasicUser = c_User<BasicKind>;

constexpr int users = 1000;
constexpr int recordsPerUser = 62;

RGPGetJACReportResultResponse result() {
    RGPGetJACReportResultResponse answer;
    auto& list = answer.Report.emplace().Basic.emplace().ByUser.emplace().User;
    for (int u = 0; u < users; ++u) {
        BasicUser user{QStringLiteral("user%1").arg(u, 4, 10, QLatin1Char('0')),
                       QStringLiteral("Jürgen Müller-%1").arg(u),
                       QStringLiteral("Group %1").arg(u % 40),
                       {}};
        for (int r = 0; r < recordsPerUser; ++r) {
            c_UserRecord<BasicKind> record{
                QStringLiteral("LaserPro %1").arg(r % 12),
                QStringLiteral("10.1.%1.%2").arg(r).arg(u % 250),
                QStringLiteral("SN%1").arg(u * recordsPerUser + r, 8, 10, QLatin1Char('0')),
                {}};
            auto& data = record.RecordData;
            data.PrintedBW = 1000 + r * 7 + u;
            data.PrintedColor = 300 + r;
            data.CopiedBW = 120 + u % 17;
            data.CopiedColor = 40 + r % 9;
            data.FaxTx = 12;
            data.Scan = 77 + u % 5;
            user.Record.append(record);
        }
        list.append(user);
    }
    return answer;
}

const RGPGetJACReportResultResponse& fixture() {
    static const RGPGetJACReportResultResponse answer = result();
    return answer;
}

const QByteArray& answerBytes() {
    static const QByteArray bytes = [] {
        QByteArray body;
        RGPGetJACReportResultResponse answer = fixture();
        answer.serialize(body);
        return body;
    }();
    return bytes;
}

void writeAnswer(benchmark::State& state) {
    RGPGetJACReportResultResponse answer = fixture();
    for (auto _ : state) {
        QByteArray body;
        answer.serialize(body);
        benchmark::DoNotOptimize(body.data());
    }
    state.counters["MB"] = double(answerBytes().size()) / 1e6;
}
BENCHMARK(writeAnswer)->Unit(benchmark::kMillisecond);

void readAnswer(benchmark::State& state) {
    for (auto _ : state) {
        RGPGetJACReportResultResponse answer;
        answer.parse(answerBytes());
        benchmark::DoNotOptimize(answer.Report);
    }
}
BENCHMARK(readAnswer)->Unit(benchmark::kMillisecond);

// What the flow does with the read answer (document teardown included: it is part of every
// report's life).
void buildBody(benchmark::State& state) {
    const c_Report& report = *fixture().Report;
    for (auto _ : state) {
        ReportDocument document;
        appendJACReport(document.append(document.root(), QStringLiteral("Body")), report);
    }
}
BENCHMARK(buildBody)->Unit(benchmark::kMillisecond);

// The reference: every element appended to its place in the document as soon as it is made.
void text(dom::Element* parent, const char* name, const QString& value) {
    if (value.isEmpty())
        dom::appendElement(parent, QString::fromLatin1(name));
    else
        dom::appendTextElement(parent, QString::fromLatin1(name), value);
}

void buildBodyGeneralAppend(benchmark::State& state) {
    const c_Report& report = *fixture().Report;
    for (auto _ : state) {
        ReportDocument document;
        dom::Element* body = document.append(document.root(), QStringLiteral("Body"));
        dom::Element* byUser = dom::appendElement(
            dom::appendElement(dom::appendElement(body, QStringLiteral("Report")),
                               QStringLiteral("Basic")),
            QStringLiteral("ByUser"));
        for (const BasicUser& user : report.Basic->ByUser->User) {
            dom::Element* entry = dom::appendElement(byUser, QStringLiteral("User"));
            text(entry, "Login", user.Login);
            text(entry, "UserName", user.UserName);
            text(entry, "GroupName", user.GroupName);
            for (const auto& record : user.Record) {
                dom::Element* row = dom::appendElement(entry, QStringLiteral("Record"));
                text(row, "ModelName", record.ModelName);
                text(row, "IPAddress", record.IPAddress);
                text(row, "Serial", record.Serial);
                dom::Element* data = dom::appendElement(row, QStringLiteral("BasicRecordData"));
                using Data = JACRecordData::c_BasicRecordData;
                for (const auto& counter : JACRecordData::Counters<Data>::fields)
                    if (const auto& value = record.RecordData.*(counter.member))
                        text(data, counter.name.data(), QString::number(*value));
            }
        }
    }
}
BENCHMARK(buildBodyGeneralAppend)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
