// Job accounting reports end to end: velm-report over HTTP with the job accounting plug-in of
// velm-peers, on jobs the test inserts, checked against page sums the test computes itself.
#include "ReportProcesses.h"
#include "support/PacketCall.h"

#include "VELMPluginReportGenerator/Commands/RGPGetReportCategories_Request.h"
#include "VELMPluginReportGenerator/Commands/RGPGetReportCategories_Response.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/packets/BindPacket.h"

#include <QMap>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr qint64 rangeStart = 1700000000;
constexpr qint64 rangeEnd = rangeStart + 7 * 86400;

struct Job {
    int user, device;
    qint64 time;
    QString type, colour, mode, paper;
    int pages;
    bool staple;
    QString destination;
};

// Users 1-4 (groups 1, 1, 2, 2), devices 1-3.
const QStringList logins{"", "abaker", "bcole", "cdunn", "dellis"};
const QStringList groups{"", "Sales", "Sales", "Finance", "Finance"};

QString ipOf(int device) {
    return QStringLiteral("10.0.0.%1").arg(device);
}

// Jobs of every kind, some outside the range.
std::vector<Job> makeJobs() {
    std::mt19937 random(7);
    const auto pick = [&](const QStringList& from) {
        return from[int(random() % unsigned(from.size()))];
    };
    std::vector<Job> jobs;
    for (int i = 0; i < 400; ++i) {
        Job job;
        job.user = 1 + int(random() % 4);
        job.device = 1 + int(random() % 3);
        job.time = rangeStart - 86400 + qint64(random() % (9 * 86400));
        job.type = pick({"print", "print", "copy", "scan", "fax"});
        job.colour = pick({"mono", "color"});
        job.mode = pick({"simplex", "duplex"});
        job.paper = pick({"A4", "Letter", "Legal", "A3"});
        job.pages = 1 + int(random() % 20);
        job.staple = random() % 4 == 0;
        job.destination =
            job.type == "scan" ? pick({"Email", "FTP", "SMB", "Application", "USB"}) : QString();
        jobs.push_back(job);
    }
    return jobs;
}

class JobAccountingOverHttp : public ReportProcessesTest {
protected:
    void SetUp() override {
        ReportProcessesTest::SetUp();
        if (HasFatalFailure())
            return;
        QStringList fill{"INSERT INTO UserGroups VALUES (1, 'Sales'), (2, 'Finance')"};
        for (int u = 1; u <= 4; ++u)
            fill << QStringLiteral("INSERT INTO Users VALUES (%1, '%2', 'User %2', %3)")
                        .arg(u)
                        .arg(logins[u])
                        .arg(u <= 2 ? 1 : 2);
        for (int d = 1; d <= 3; ++d) {
            fill << QStringLiteral("INSERT INTO Devices (DeviceID) VALUES (%1)").arg(d);
            for (const auto& [property, value] : {std::pair{3, QStringLiteral("host%1").arg(d)},
                                                  {4, ipOf(d)},
                                                  {5, QStringLiteral("00:00:00:00:00:0%1").arg(d)},
                                                  {7, QStringLiteral("Floor %1").arg(d)},
                                                  {8, QStringLiteral("Model %1").arg(d)},
                                                  {10, QStringLiteral("SN%1").arg(d)}})
                fill << QStringLiteral("INSERT INTO DevicePropertyValues (R_DeviceID, "
                                       "R_PropertyID, Value) VALUES (%1, %2, '%3')")
                            .arg(d)
                            .arg(property)
                            .arg(value);
        }
        for (const Job& job : jobs)
            fill << QStringLiteral("INSERT INTO JobLog (R_UserID, R_DeviceID, JobTime, JobType, "
                                   "Pages, ColorMode, PrintMode, PaperSize, Staple, Destination) "
                                   "VALUES (%1, %2, %3, '%4', %5, '%6', '%7', '%8', %9, '%10')")
                        .arg(job.user)
                        .arg(job.device)
                        .arg(job.time)
                        .arg(job.type)
                        .arg(job.pages)
                        .arg(job.colour, job.mode, job.paper)
                        .arg(job.staple ? 1 : 0)
                        .arg(job.destination);
        exec(fill);
    }

    // The report over the test's range.
    std::unique_ptr<CmdRGPGetReportResultsResponse>
    generate(QList<std::pair<QString, QString>> parameters, ReportSelection selection = {}) {
        parameters.append({"From", QString::number(rangeStart)});
        parameters.append({"To", QString::number(rangeEnd)});
        return ReportProcessesTest::generate(parameters, std::move(selection));
    }

    std::vector<Job> inRange(const QString& type = {}) const {
        std::vector<Job> found;
        for (const Job& job : jobs)
            if (job.time >= rangeStart && job.time <= rangeEnd &&
                (type.isEmpty() || job.type == type))
                found.push_back(job);
        return found;
    }

    const std::vector<Job> jobs = makeJobs();
};

using Sums = QMap<QString, QMap<QString, qint64>>; // record -> counter -> pages

QString child(const dom::Element* element, const char* name) {
    return dom::textContent(dom::firstChild(element, QString::fromLatin1(name)));
}

// The records of a report as "<outer key>|<record key>" -> counters.
Sums recordsOf(const dom::Element* grouping, const char* outer, const char* outerKey,
               const char* recordKey, QStringList* order = nullptr) {
    Sums sums;
    dom::forEachChild(
        grouping,
        [&](dom::Element* entry) {
            if (order)
                order->append(child(entry, outerKey));
            dom::forEachChild(
                entry,
                [&](dom::Element* record) {
                    const QString key = child(entry, outerKey) + "|" + child(record, recordKey);
                    dom::forEachChild(record, [&](dom::Element* data) {
                        if (!dom::name(data).endsWith("RecordData"))
                            return;
                        dom::forEachChild(data, [&](dom::Element* counter) {
                            sums[key][dom::name(counter)] = dom::textContent(counter).toLongLong();
                        });
                    });
                },
                QStringLiteral("Record"));
        },
        QString::fromLatin1(outer));
    return sums;
}

TEST_F(JobAccountingOverHttp, PerUserBasicTotalsAreThePagesOfTheUsersJobs) {
    Sums expected;
    for (const Job& job : inRange()) {
        auto& sums = expected[logins[job.user] + "|" + ipOf(job.device)];
        for (const char* counter :
             {"PrintedBW", "PrintedColor", "CopiedBW", "CopiedColor", "FaxTx", "Scan"})
            sums[counter] += 0;
        const bool mono = job.colour == "mono";
        if (job.type == "print")
            sums[mono ? "PrintedBW" : "PrintedColor"] += job.pages;
        else if (job.type == "copy")
            sums[mono ? "CopiedBW" : "CopiedColor"] += job.pages;
        else if (job.type == "fax")
            sums["FaxTx"] += job.pages;
        else
            sums["Scan"] += job.pages;
    }
    const auto answer = generate(
        {{"ReportType", "RT_JAC_USER_BASIC"}, {"GroupBy", "User"}, {"SortBy", "SB_USER_LOGIN"}});
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
    const dom::Element* byUser = dom::firstDescendant(answer->body(), "ByUser");
    ASSERT_NE(byUser, nullptr);
    ASSERT_NE(dom::firstDescendant(answer->body(), "Basic"), nullptr);
    QStringList order;
    EXPECT_EQ(recordsOf(byUser, "User", "Login", "IPAddress", &order), expected);
    EXPECT_EQ(order, logins.mid(1));
    const dom::Element* first = dom::firstChild(byUser, "User");
    EXPECT_EQ(child(first, "GroupName"), "Sales");
    EXPECT_EQ(child(dom::firstChild(first, "Record"), "ModelName"), "Model 1");
}

TEST_F(JobAccountingOverHttp, PerDevicePrintDetailsAreThePagesOfThePrintJobs) {
    Sums expected;
    for (const Job& job : inRange("print")) {
        auto& sums = expected[ipOf(job.device) + "|" + logins[job.user]];
        const QString mode = (job.mode == "simplex" ? "Simplex" : "Duplex") +
                             QString(job.colour == "mono" ? "Mono" : "Color");
        for (const char* counter :
             {"SimplexMono", "SimplexColor", "DuplexMono", "DuplexColor", "PaperA4", "PaperLetter",
              "PaperLegal", "PaperOthers", "Staple"})
            sums[counter] += 0;
        sums[mode] += job.pages;
        sums[job.paper == "A3" ? "PaperOthers" : "Paper" + job.paper] += job.pages;
        if (job.staple)
            sums["Staple"] += job.pages;
    }
    const auto answer = generate({{"ReportType", "RT_JAC_DEVICE_PRINT_DETAILS"},
                                  {"GroupBy", "UserGroupDevice"},
                                  {"SortBy", "SB_IPADDR"}});
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
    const dom::Element* byDevice = dom::firstDescendant(answer->body(), "ByDevice");
    ASSERT_NE(byDevice, nullptr);
    ASSERT_NE(dom::firstDescendant(answer->body(), "PrintDetails"), nullptr);
    QStringList order;
    EXPECT_EQ(recordsOf(byDevice, "Device", "IPAddress", "Login", &order), expected);
    EXPECT_EQ(order, (QStringList{ipOf(1), ipOf(2), ipOf(3)}));
    EXPECT_EQ(child(dom::firstChild(byDevice, "Device"), "HardwareAddress"), "00:00:00:00:00:01");
}

TEST_F(JobAccountingOverHttp, SelectionsOfDevicesAndUserGroupsNarrowTheRecords) {
    ReportSelection selection;
    selection.deviceIds = {"2"};
    selection.userGroupIds = {"2"};
    const auto answer =
        generate({{"ReportType", "RT_JAC_USER_BASIC"}, {"GroupBy", "User"}}, selection);
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
    QStringList keys =
        recordsOf(dom::firstDescendant(answer->body(), "ByUser"), "User", "Login", "IPAddress")
            .keys();
    EXPECT_EQ(keys, (QStringList{"cdunn|10.0.0.2", "dellis|10.0.0.2"}));
}

// Id 0 names nobody: the plug-in refuses it rather than leave the filter out.
TEST_F(JobAccountingOverHttp, AUserIdOfZeroIsRefusedNotWidened) {
    ReportSelection selection;
    selection.userIds = {"1", "0"};
    const auto answer =
        generate({{"ReportType", "RT_JAC_USER_BASIC"}, {"GroupBy", "User"}}, selection);
    EXPECT_EQ(answer->result(), ReportResult::GenerationFailed);
    EXPECT_TRUE(answer->details().contains("UserID 0")) << answer->details().toStdString();
}

TEST_F(JobAccountingOverHttp, TheJobAccountingCategoryIsOffered) {
    BindRequest<RGPGetReportCategories_Request::c_VXNRequest> request;
    const auto answer = callOverHttp<BindResponse<RGPGetReportCategories_Response::c_VXNResponse>>(
        report.url(), request);
    ASSERT_EQ(answer->Category.size(), 5);
    EXPECT_EQ(answer->Category[4].Name, "RT_JAC");
}

} // namespace
