// Templates as XML: the record inside the template packets, the stored command the scheduler
// keeps, and the list.
#include "../scheduler/QtPrinters.h"

#include "VELMPluginReportGenerator/Commands/CCmdRGPGetReportTemplateListResponse.h"
#include "VELMPluginReportGenerator/Commands/CCmdRGReportTemplateRequest.h"
#include "VELMPluginReportGenerator/Commands/CCmdRGReportTemplateResponse.h"
#include "VELMPluginReportGenerator/templates/BodyText.h"
#include "VELMPluginReportGenerator/templates/StoredTemplate.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const auto utf16 = &bodyText::toBody;

template <class P> QString written(P& packet) {
    return bodyText::of(packet);
}

template <class P> std::unique_ptr<P> reread(P& packet) {
    QByteArray body;
    packet.serialize(body);
    auto copy = std::make_unique<P>();
    copy->parse(body);
    return copy;
}

// An add request read from the children of its root.
ReportTemplate addRequestOf(const QString& children) {
    CCmdRGAddReportTemplateRequest request;
    request.parse(utf16(QStringLiteral("<VXNRequest command=\"RGPAddReportTemplate\">") + children +
                        QStringLiteral("</VXNRequest>")));
    return request.record;
}

QString writtenAdd(const ReportTemplate& record) {
    CCmdRGAddReportTemplateRequest request;
    request.record = record;
    return written(request);
}

ReportTemplate weeklyTemplate() {
    ReportTemplate record;
    record.name = QStringLiteral("Wöchentlich <all> & more");
    record.report.reportType = QStringLiteral("RT_USAGE_COLOR_MONO");
    record.report.summary = true;
    record.report.period = QStringLiteral("P_CUSTOM");
    record.report.from = QDateTime::fromSecsSinceEpoch(1200000000);
    record.report.to = QDateTime::fromSecsSinceEpoch(1200086400);
    record.report.interval = QStringLiteral("I_DAY");
    record.report.groupBy = QStringLiteral("Group");
    record.report.reportFormat = QStringLiteral("Chart");
    record.report.chartType = QStringLiteral("CT_LINE");
    record.report.sortBy = QStringLiteral("IP");
    record.report.selectionKind = 2;
    record.report.selectionValues = {QStringLiteral("LaserJet 4"), QStringLiteral("C 9")};
    record.email.absent = false;
    record.email.recipients = {QStringLiteral("a@example.org"), QStringLiteral("b@example.org")};
    record.email.subject = QStringLiteral("Zähler");
    record.email.content = QStringLiteral("Line 1\nLine 2");
    record.email.fileFormats = {QStringLiteral("CSV"), QStringLiteral("HTML")};
    record.email.locale = QStringLiteral("de");
    record.schedule.absent = false;
    record.schedule.type = QStringLiteral("Periodic");
    record.schedule.startTime = QDateTime::fromSecsSinceEpoch(1700000000);
    record.schedule.interval = QStringLiteral("I_WEEK");
    record.schedule.frequency = 2;
    return record;
}

TEST(TemplateXml, EveryFieldSurvivesEachTemplatePacket) {
    const ReportTemplate record = weeklyTemplate();

    CCmdRGAddReportTemplateRequest add;
    add.record = record;
    EXPECT_EQ(reread(add)->record, record);

    ReportTemplate named = record;
    named.id = 42;
    CCmdRGSetReportTemplateRequest set;
    set.record = named;
    const auto setCopy = reread(set);
    EXPECT_EQ(setCopy->record, named);
    EXPECT_EQ(setCopy->templateId, QStringLiteral("42"));
    EXPECT_TRUE(written(set).contains(QStringLiteral(
        "<VXNRequest command=\"RGPSetReportTemplate\"><Template ID=\"42\"></Template><Name>")));

    CCmdRGReportTemplateResponse answer;
    answer.record = named;
    EXPECT_EQ(reread(answer)->record, named);
    EXPECT_TRUE(
        written(answer).contains(QStringLiteral("</Name><Template ID=\"42\"></Template><Report>")));
}

TEST(TemplateXml, WritesReportEmailAndScheduleInTheirFixedOrder) {
    const QString xml = writtenAdd(weeklyTemplate());
    EXPECT_TRUE(xml.contains(QStringLiteral(
        "<Report><ChartType>CT_LINE</ChartType><From>1200000000</From><GroupBy>Group</GroupBy>"
        "<Interval>I_DAY</Interval><IsSummary>Yes</IsSummary><Period>P_CUSTOM</Period>"
        "<ReportFormat>Chart</ReportFormat><ReportType>RT_USAGE_COLOR_MONO</ReportType>"
        "<SelectionType>Model</SelectionType><SortBy>IP</SortBy><To>1200086400</To>"
        "<Selection><Model>LaserJet 4</Model><Model>C 9</Model></Selection></Report>"
        "<Email><Content>Line 1\nLine 2</Content><Locale>de</Locale><Subject>Zähler</Subject>"
        "<Recipients><Recipient>a@example.org</Recipient><Recipient>b@example.org</Recipient>"
        "</Recipients><FileFormats><FileFormat>CSV</FileFormat><FileFormat>HTML</FileFormat>"
        "</FileFormats></Email>"
        "<Schedule><Frequency>2</Frequency><Interval>I_WEEK</Interval>"
        "<StartTime>1700000000</StartTime><Type>Periodic</Type></Schedule>")))
        << xml.toStdString();
}

TEST(TemplateXml, EmptyOrMissingPartsReadAsAbsentAndAreNotWritten) {
    for (const QString& parts :
         {QString(), QStringLiteral("<Email/><Schedule/>"),
          QStringLiteral("<Email>text only</Email><Schedule> </Schedule>")}) {
        const ReportTemplate record =
            addRequestOf(QStringLiteral("<Name>n</Name><Report><ReportType>RT_DEVICE_LIST"
                                        "</ReportType></Report>") +
                         parts);
        EXPECT_TRUE(record.email.absent) << parts.toStdString();
        EXPECT_TRUE(record.schedule.absent);
        EXPECT_EQ(record.schedule.frequency, 1u);
        EXPECT_TRUE(record.email.recipients.isEmpty());
        const QString again = writtenAdd(record);
        EXPECT_FALSE(again.contains(QStringLiteral("<Email")));
        EXPECT_FALSE(again.contains(QStringLiteral("<Schedule")));
        // No selection values: no SelectionType, but the Selection element all the same.
        EXPECT_FALSE(again.contains(QStringLiteral("SelectionType")));
        EXPECT_TRUE(again.contains(QStringLiteral("<Selection/></Report>")));
    }
}

TEST(TemplateXml, SummaryIsYesInAnyCaseAndWrittenAsYesOrNo) {
    const auto summaryOf = [](const QString& value) {
        return addRequestOf(QStringLiteral("<Report><IsSummary>%1</IsSummary></Report>").arg(value))
            .report.summary;
    };
    for (const char* yes : {"yes", "Yes", "YES"})
        EXPECT_TRUE(summaryOf(QLatin1String(yes))) << yes;
    for (const char* no : {"No", "true", "1", "", " yes"})
        EXPECT_FALSE(summaryOf(QLatin1String(no))) << no;
    ReportTemplate record;
    EXPECT_TRUE(writtenAdd(record).contains(QStringLiteral("<IsSummary>No</IsSummary>")));
    record.report.summary = true;
    EXPECT_TRUE(writtenAdd(record).contains(QStringLiteral("<IsSummary>Yes</IsSummary>")));
}

TEST(TemplateXml, SelectionKindFollowsTheNamesOfItsValues) {
    const ReportTemplate groups = addRequestOf(
        QStringLiteral("<Report><SelectionType>Model</SelectionType><Selection><GroupID>4</GroupID>"
                       "</Selection></Report>"));
    EXPECT_EQ(groups.report.selectionKind, 1);
    EXPECT_EQ(groups.report.selectionValues, QStringList{QStringLiteral("4")});
    EXPECT_TRUE(writtenAdd(groups).contains(
        QStringLiteral("<SelectionType>GroupID</SelectionType><SortBy></SortBy>"
                       "<Selection><GroupID>4</GroupID></Selection>")));

    const ReportTemplate users = addRequestOf(
        QStringLiteral("<Report><Selection><UserGroupID>7</UserGroupID><UserGroupID>8</UserGroupID>"
                       "</Selection></Report>"));
    EXPECT_EQ(users.report.selectionKind, 4);
    EXPECT_EQ(users.report.selectionValues.size(), 2);
    EXPECT_EQ(addRequestOf(QStringLiteral("<Report><Selection><User>3</User></Selection>"
                                          "</Report>"))
                  .report.selectionKind,
              0);
}

TEST(TemplateXml, ZeroOrMissingTimesAreNullAndLeftOut) {
    const ReportTemplate record = addRequestOf(
        QStringLiteral("<Report><From>0</From><To>soon</To></Report><Schedule><Type>Periodic</Type>"
                       "<StartTime>0</StartTime><Frequency>x</Frequency></Schedule>"));
    EXPECT_FALSE(record.report.from.isValid());
    EXPECT_FALSE(record.report.to.isValid());
    EXPECT_FALSE(record.schedule.absent);
    EXPECT_FALSE(record.schedule.startTime.isValid());
    EXPECT_EQ(record.schedule.frequency, 0u);
    const QString again = writtenAdd(record);
    EXPECT_FALSE(again.contains(QStringLiteral("<From>")));
    EXPECT_FALSE(again.contains(QStringLiteral("<To>")));
    EXPECT_FALSE(again.contains(QStringLiteral("<StartTime>")));
}

TEST(TemplateXml, OnceScheduleHasNoFrequency) {
    ReportTemplate record;
    record.schedule.absent = false;
    record.schedule.type = QStringLiteral("once");
    record.schedule.startTime = QDateTime::fromSecsSinceEpoch(1700000000);
    record.schedule.frequency = 5;
    const QString xml = writtenAdd(record);
    EXPECT_TRUE(xml.contains(
        QStringLiteral("<Schedule><StartTime>1700000000</StartTime><Type>once</Type></Schedule>")))
        << xml.toStdString();
    CCmdRGAddReportTemplateRequest request;
    request.parse(utf16(xml));
    EXPECT_EQ(request.record.schedule.type, QStringLiteral("once"));
    EXPECT_EQ(request.record.schedule.frequency, 1u);
    EXPECT_EQ(request.record.schedule.startTime, record.schedule.startTime);
}

TEST(TemplateXml, StoredCommandKeepsTheTemplateAndNamesTheCommandItFires) {
    ReportTemplate record = weeklyTemplate();
    record.name = QStringLiteral("RGPAddReportTemplate copy");
    record.email.content = QStringLiteral("sent by RGPAddReportTemplate");
    const QString stored = storedTemplate::commandText(record, false);
    EXPECT_TRUE(stored.startsWith(QStringLiteral("<?xml")));
    EXPECT_TRUE(stored.contains(
        QStringLiteral("<VXNRequest command=\"RGPGenerateAndSendReportByEmail\"><Name>")));
    // The template's own texts are not the command's name and stay as written.
    ReportTemplate expected = record;
    EXPECT_EQ(storedTemplate::fromCommandText(stored), expected);

    record.id = 7;
    const QString named = storedTemplate::commandText(record, true);
    EXPECT_TRUE(named.contains(QStringLiteral("command=\"RGPGenerateAndSendReportByEmail\">"
                                              "<Template ID=\"7\"></Template><Name>")));
    // The stored text's id is not read back: the item's id is the template's id.
    EXPECT_EQ(storedTemplate::fromCommandText(named).id, 0u);
}

TEST(TemplateXml, StoredCommandThatIsNoTemplateReadsAsEmpty) {
    for (const QString& stored :
         {QString(), QStringLiteral("not xml at all <"),
          QStringLiteral("<VXNRequest command=\"X\">"),
          QStringLiteral("<VXNRequest command=\"MGMTCloseApplication\"></VXNRequest>")}) {
        const ReportTemplate record = storedTemplate::fromCommandText(stored);
        EXPECT_EQ(record, ReportTemplate()) << stored.toStdString();
    }
}

TEST(TemplateXml, FailedTemplateAnswerCarriesNoRecord) {
    CCmdRGReportTemplateResponse answer;
    answer.record = weeklyTemplate();
    answer.setResult(-1, QStringLiteral("Invalid ID(s)"));
    const QString xml = written(answer);
    EXPECT_FALSE(xml.contains(QStringLiteral("<Name>")));
    EXPECT_FALSE(xml.contains(QStringLiteral("<Report>")));
    CCmdRGReportTemplateResponse copy;
    copy.parse(utf16(xml));
    EXPECT_EQ(copy.result(), -1);
    EXPECT_EQ(copy.record, ReportTemplate());
}

TEST(TemplateXml, ListEntriesRoundTripWithNextRunAndSchedule) {
    TemplateListEntry weekly;
    weekly.id = 3;
    weekly.name = QStringLiteral("weekly");
    weekly.reportType = QStringLiteral("RT_DEVICE_LIST");
    weekly.reportFormat = QStringLiteral("TABLE");
    weekly.hasNext = true;
    weekly.next = QDateTime::fromSecsSinceEpoch(1800000000);
    weekly.schedule.absent = false;
    weekly.schedule.type = QStringLiteral("Periodic");
    weekly.schedule.interval = QStringLiteral("I_WEEK");
    weekly.schedule.frequency = 2;
    weekly.schedule.startTime = QDateTime::fromSecsSinceEpoch(1700000000);
    TemplateListEntry once = weekly;
    once.id = 5;
    once.hasNext = false;
    once.next = {};
    once.schedule.type = QStringLiteral("Once");
    once.schedule.interval.clear();
    once.schedule.frequency = 1;
    TemplateListEntry plain;
    plain.id = 9;
    plain.name = QStringLiteral("on request");

    CCmdRGPGetReportTemplateListResponse list;
    list.entries = {weekly, once, plain};
    const QString xml = written(list);
    EXPECT_TRUE(xml.contains(QStringLiteral(
        "<Template ID=\"3\"><Name>weekly</Name><Next>1800000000</Next><ReportFormat>TABLE"
        "</ReportFormat><ReportType>RT_DEVICE_LIST</ReportType><Schedule><Interval>I_WEEK"
        "</Interval><Frequency>2</Frequency><Type>Periodic</Type><StartTime>1700000000"
        "</StartTime></Schedule></Template>")))
        << xml.toStdString();
    EXPECT_TRUE(xml.contains(QStringLiteral("<Template ID=\"9\"><Name>on request</Name>"
                                            "<ReportFormat></ReportFormat><ReportType>"
                                            "</ReportType></Template>")));
    EXPECT_EQ(reread(list)->entries, list.entries);
}

} // namespace
