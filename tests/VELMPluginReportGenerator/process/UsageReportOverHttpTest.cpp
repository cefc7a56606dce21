// Usage reports end to end: velm-report over HTTP on a velm-peers database that the test fills,
// checked against the pages counted by hand from the samples written.
#include "ReportProcesses.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/time/LocalTime.h"

#include <gtest/gtest.h>

namespace {

qint64 at(int day, int hour) {
    return localAt(QDate(2008, 3, day), QTime(hour, 0)).toSecsSinceEpoch();
}

class UsageReportOverHttp : public ReportProcessesTest {
protected:
    void SetUp() override {
        ReportProcessesTest::SetUp();
        if (HasFatalFailure())
            return;
        QStringList fill;
        for (int d = 1; d <= 3; ++d) {
            fill << QStringLiteral("INSERT INTO Devices (DeviceID) VALUES (%1)").arg(d)
                 << current(d, 4, QStringLiteral("10.0.0.%1").arg(d))
                 << current(d, 8, QStringLiteral("Model %1").arg(d));
        }
        fill << current(1, 10, "SN1") << current(3, 10, "SN3"); // device 2 has no serial
        // Device 1 starts inside the range: 100 then 160 on the 20th, 200 on the 21st.
        fill << pages(1, at(20, 8), 100, 10) << pages(1, at(20, 16), 160, 15)
             << pages(1, at(21, 10), 200, 30);
        // Device 2 is reset on the 21st.
        fill << pages(2, at(19, 23), 500, 1000) << pages(2, at(20, 9), 520, 1004)
             << pages(2, at(21, 9), 20, 4);
        exec(fill);
    }

    static QString current(int device, int property, const QString& value) {
        return QStringLiteral(
                   "INSERT INTO DevicePropertyValues (R_DeviceID, R_PropertyID, "
                   "R_ColumnID, RowIndex, TimeValue, Value) VALUES (%1, %2, 0, 0, 0, '%3')")
            .arg(device)
            .arg(property)
            .arg(value);
    }

    // A counter sample of printed colour and mono pages.
    static QStringList pages(int device, qint64 time, int colour, int mono) {
        QStringList cells;
        const QString cell = QStringLiteral(
            "INSERT INTO DevicePropertyHistory (R_DeviceID, R_PropertyID, R_ColumnID, RowIndex, "
            "TimeValue, Value) VALUES (%1, 47, %2, %3, %4, '%5')");
        int row = 0;
        for (const auto& [mode, count] : {std::pair{"fullColor", colour}, {"monoColor", mono}}) {
            ++row;
            cells << cell.arg(device).arg(2).arg(row).arg(time).arg("print")
                  << cell.arg(device).arg(6).arg(row).arg(time).arg(mode)
                  << cell.arg(device).arg(7).arg(row).arg(time).arg(count);
        }
        return cells;
    }

    // Generates the report, waits for its end and answers its results.
    std::unique_ptr<CmdRGPGetReportResultsResponse>
    generate(QList<std::pair<QString, QString>> parameters) {
        parameters.append({"From", QString::number(at(20, 0))});
        parameters.append({"To", QString::number(at(21, 23) + 59 * 60)});
        return ReportProcessesTest::generate(parameters);
    }
};

// Each Row of a Report as "name=value" texts in document order.
QStringList rows(const dom::Element* report) {
    QStringList texts;
    dom::forEachChild(
        report,
        [&](dom::Element* row) {
            QStringList cells;
            dom::forEachChild(row, [&](dom::Element* cell) {
                cells << dom::name(cell) + QLatin1Char('=') + dom::textContent(cell);
            });
            texts << cells.join(QLatin1Char('|'));
        },
        QStringLiteral("Row"));
    return texts;
}

} // namespace

TEST_F(UsageReportOverHttp, DailyColourAndMonoPagesPerDevice) {
    const auto answer = generate({{"ReportType", "RT_USAGE_COLOR_MONO"},
                                  {"ReportFormat", "Table"},
                                  {"Interval", "I_DAY"},
                                  {"SortBy", "DeviceID"}});
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
    QStringList found;
    dom::forEachChild(
        answer->body(),
        [&](dom::Element* device) {
            found << QStringLiteral("Device ") + dom::attribute(device, "ID");
            found << rows(dom::firstChild(device, QStringLiteral("Report")));
        },
        QStringLiteral("Device"));
    EXPECT_EQ(found,
              (QStringList{"Device 1", "Color_Counter=60|Mono_Counter=5|Period=2008-03-20|Total=65",
                           "Color_Counter=40|Mono_Counter=15|Period=2008-03-21|Total=55",
                           "Device 2", "Color_Counter=20|Mono_Counter=4|Period=2008-03-20|Total=24",
                           "Color_Counter=-500|Mono_Counter=-1000|Period=2008-03-21|Total=-1500",
                           "Device 3", "Color_Counter=|Mono_Counter=|Period=2008-03-20|Total=0",
                           "Color_Counter=|Mono_Counter=|Period=2008-03-21|Total=0"}));
}

TEST_F(UsageReportOverHttp, SummaryLeavesOutDevicesWithoutSerial) {
    const auto answer = generate({{"ReportType", "RT_USAGE_COLOR_MONO"},
                                  {"ReportFormat", "Table"},
                                  {"IsSummary", "Yes"},
                                  {"Period", "P_CUSTOM"},
                                  {"GroupBy", "Group"}});
    ASSERT_EQ(answer->result(), 0) << answer->details().toStdString();
    EXPECT_EQ(rows(dom::firstChild(answer->body(), QStringLiteral("Report"))),
              (QStringList{"Color_Counter=100|DeviceID=1|IP=10.0.0.1|ModelName=Model "
                           "1|Mono_Counter=20|Serial=SN1|Total=120",
                           "Color_Counter=0|DeviceID=3|IP=10.0.0.3|ModelName=Model "
                           "3|Mono_Counter=0|Serial=SN3|Total=0"}));
}
