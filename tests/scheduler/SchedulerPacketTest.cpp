#include "QtPrinters.h"

#include "scheduler/CSendCommand.h"
#include "scheduler/CmdSchGetEventsInfoResponse.h"
#include "scheduler/CmdSchIdList.h"
#include "scheduler/CmdSchRegister.h"

#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

QByteArray utf8Request(const QString& command, const QString& children) {
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNRequest command=\"") +
            command + QStringLiteral("\">") + children + QStringLiteral("</VXNRequest>"))
        .toUtf8();
}

QString bodyText(Packet& packet) {
    QByteArray body;
    packet.serialize(body);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(body.constData()), body.size() / 2);
}

// Reads into `back` what `packet` writes, as the receiving side does.
void readBack(Packet& packet, Packet& back) {
    QByteArray body;
    packet.serialize(body);
    back.parse(body);
}

// Element names in document order, below the root.
QStringList elementNames(const QString& xml) {
    QStringList names;
    static const QRegularExpression cdata(QStringLiteral("<!\\[CDATA\\[.*?\\]\\]>"));
    const QString plain = QString(xml).remove(cdata);
    static const QRegularExpression open(QStringLiteral("<([A-Za-z]+)[ >/]"));
    for (auto it = open.globalMatch(plain); it.hasNext();)
        names.append(it.next().captured(1));
    return names;
}

std::unique_ptr<CmdSchRegisterRequest> parseRegister(const QString& children) {
    auto request = std::make_unique<CmdSchRegisterRequest>();
    request->parse(utf8Request(QStringLiteral("SchRegister"), children));
    return request;
}

TEST(SchRegisterRequest, WritesAndReadsBack) {
    CmdSchRegisterRequest request;
    request.serviceName = QStringLiteral("RG");
    request.item.startTime = localFromSeconds(1780000000);
    request.item.stopTime = localFromSeconds(1780000000);
    request.item.intervalType = OccurMonthly;
    request.item.intervalValue = 3;
    request.item.permanent = true;
    request.item.commandToSend = QStringLiteral("<VXNRequest command=\"RGPX\"><A>'&\"]]></A>");
    request.item.tag = QStringLiteral("Autosend");
    const QString xml = bodyText(request);
    EXPECT_EQ(elementNames(xml),
              (QStringList{"VXNRequest", "ServiceName", "StartTime", "IntervalType",
                           "IntervalValue", "Permanent", "StopTime", "CommandToSend", "Tag"}));
    EXPECT_TRUE(xml.contains(QStringLiteral("<Permanent>True</Permanent>")));
    EXPECT_TRUE(xml.contains(QStringLiteral("<IntervalType>OCCUR_MONTHLY</IntervalType>")));
    EXPECT_TRUE(xml.contains(QStringLiteral("<CommandToSend><![CDATA[")));

    CmdSchRegisterRequest back;
    readBack(request, back);
    EXPECT_EQ(back.serviceName, request.serviceName);
    EXPECT_EQ(back.scheduleId, -1);
    EXPECT_EQ(back.item.startTime, request.item.startTime);
    EXPECT_EQ(back.item.stopTime, request.item.stopTime);
    EXPECT_EQ(back.item.intervalType, OccurMonthly);
    EXPECT_EQ(back.item.intervalValue, 3);
    EXPECT_TRUE(back.item.permanent);
    EXPECT_EQ(back.item.commandToSend, request.item.commandToSend);
    EXPECT_EQ(back.item.tag, request.item.tag);
}

TEST(SchRegisterRequest, ReplaceWritesTheIdAndEmptyTagIsLeftOut) {
    CmdSchRegisterRequest request;
    request.scheduleId = 4;
    const QString xml = bodyText(request);
    EXPECT_TRUE(xml.contains(QStringLiteral("<ScheduleID>4</ScheduleID>")));
    EXPECT_FALSE(xml.contains(QStringLiteral("<Tag")));
    EXPECT_TRUE(xml.contains(QStringLiteral("<StopTime>0</StopTime>")));
    EXPECT_TRUE(xml.contains(QStringLiteral("<Permanent>False</Permanent>")));
}

TEST(SchRegisterRequest, ReadingRules) {
    const struct {
        const char* children;
        qint64 id;
        int type;
        qint32 value;
        bool permanent;
        qint64 start;
        qint64 stop;
    } cases[] = {
        {"", -1, OccurOnce, 1, false, 0, 0},
        {"<ScheduleID></ScheduleID><Permanent>true</Permanent>", -1, OccurOnce, 1, true, 0, 0},
        {"<ScheduleID>7</ScheduleID><Permanent>TRUE</Permanent>", 7, OccurOnce, 1, true, 0, 0},
        // Not a number: kept for the refusal, never read as item 0.
        {"<ScheduleID>x</ScheduleID><Permanent>yes</Permanent>", -1, OccurOnce, 1, false, 0, 0},
        {"<ScheduleID>-1</ScheduleID>", -1, OccurOnce, 1, false, 0, 0},
        {"<IntervalType>OCCUR_HOURLY</IntervalType><IntervalValue>0</IntervalValue>", -1,
         OccurHourly, 1, false, 0, 0},
        {"<IntervalType>occur_hourly</IntervalType><IntervalValue>-4</IntervalValue>", -1,
         OccurOnce, 1, false, 0, 0},
        {"<IntervalType>OCCUR_WEEKLY</IntervalType><IntervalValue>2</IntervalValue>", -1,
         OccurWeekly, 2, false, 0, 0},
        {"<IntervalValue>x</IntervalValue><StartTime>x</StartTime><StopTime>x</StopTime>", -1,
         OccurOnce, 1, false, 0, 0},
        {"<StartTime>1780000000</StartTime><StopTime>1790000000</StopTime>", -1, OccurOnce, 1,
         false, 1780000000, 1790000000},
    };
    for (const auto& c : cases) {
        const auto parsed = parseRegister(QString::fromUtf8(c.children));
        const CmdSchRegisterRequest& r = *parsed;
        SCOPED_TRACE(c.children);
        EXPECT_EQ(r.scheduleId, c.id);
        EXPECT_EQ(r.hasValidScheduleId(), !QByteArray(c.children).contains("<ScheduleID>x"));
        EXPECT_EQ(r.unreadableNumber, QByteArray(c.children).contains("<StartTime>x")
                                          ? QStringLiteral("StartTime \"x\"")
                                          : QString());
        EXPECT_EQ(r.item.intervalType, c.type);
        EXPECT_EQ(r.item.intervalValue, c.value);
        EXPECT_EQ(r.item.permanent, c.permanent);
        EXPECT_EQ(secondsOf(r.item.startTime), c.start);
        EXPECT_EQ(secondsOf(r.item.stopTime), c.stop);
        EXPECT_EQ(r.item.stopTime.has_value(), c.stop != 0);
    }
    const auto cdata =
        parseRegister(QStringLiteral("<CommandToSend><![CDATA[<a b=\"1\">]]></CommandToSend>"
                                     "<Tag><![CDATA[t]]></Tag>"));
    EXPECT_EQ(cdata->item.commandToSend, QStringLiteral("<a b=\"1\">"));
    EXPECT_EQ(cdata->item.tag, QStringLiteral("t"));
}

TEST(SchRegisterRequest, UnreadableBodyIsAWrongFormat) {
    CmdSchRegisterRequest request;
    EXPECT_THROW(request.parse("<VXNRequest"), WrongPacketFormat);
}

TEST(SchRegisterResponse, CarriesTheSignedId) {
    CmdSchRegisterResponse response;
    response.scheduleId = -2;
    CmdSchRegisterResponse back;
    readBack(response, back);
    EXPECT_EQ(back.result(), 0);
    EXPECT_EQ(back.scheduleId, -2);
}

TEST(ScheduleIdSelection, ReadingAndWriting) {
    for (const char* all : {"all", "All", "ALL", " all "}) {
        EXPECT_TRUE(ScheduleIdSelection::fromText(QString::fromUtf8(all)).all) << all;
    }
    const ScheduleIdSelection list = ScheduleIdSelection::fromText(QStringLiteral(" 1 , 3,,5 "));
    EXPECT_FALSE(list.all);
    EXPECT_EQ(list.ids, (QList<qint32>{1, 3, 5}));
    EXPECT_EQ(list.toText(), QStringLiteral("1,3,5"));
    EXPECT_EQ(ScheduleIdSelection::fromText(QStringLiteral("2, ,x,-3")).ids,
              (QList<qint32>{2, -3}));
    EXPECT_TRUE(ScheduleIdSelection::fromText(QString()).ids.isEmpty());
    ScheduleIdSelection everything;
    everything.all = true;
    EXPECT_EQ(everything.toText(), QStringLiteral("All"));
}

TEST(SchIdListRequest, RoundTrip) {
    CmdSchUnregisterRequest request;
    request.serviceName = QStringLiteral("RG");
    request.selection.ids = {4, 2};
    CmdSchGetEventsInfoRequest back;
    readBack(request, back);
    EXPECT_EQ(back.serviceName, QStringLiteral("RG"));
    EXPECT_EQ(back.selection.ids, (QList<qint32>{4, 2}));
    EXPECT_EQ(request.command(), QStringLiteral("SchUnregister"));
    EXPECT_EQ(back.command(), QStringLiteral("SchGetEventsInfo"));
}

TEST(SchGetEventsInfoResponse, ItemsInIdOrderWithChildrenSortedByName) {
    CmdSchGetEventsInfoResponse response;
    response.serviceName = QStringLiteral("RG");
    ScheduleItem first;
    first.startTime = localFromSeconds(1780000000);
    first.nextTime = localFromSeconds(1780003600);
    first.intervalType = OccurHourly;
    first.intervalValue = 2;
    first.permanent = true;
    first.commandToSend = QStringLiteral("<x a=\"1\"/>");
    first.tag = QStringLiteral("Autosend");
    ScheduleItem second = first;
    second.tag.clear();
    second.nextTime.reset();
    second.permanent = false;
    response.items[9] = second;
    response.items[2] = first;
    const QString xml = bodyText(response);
    EXPECT_EQ(elementNames(xml),
              (QStringList{"VXNResponse",   "Result",        "Details",      "ScheduleItem",
                           "CommandToSend", "Tag",           "IntervalType", "IntervalValue",
                           "NextTime",      "Permanent",     "ScheduleID",   "ServiceName",
                           "StartTime",     "StopTime",      "ScheduleItem", "CommandToSend",
                           "IntervalType",  "IntervalValue", "NextTime",     "Permanent",
                           "ScheduleID",    "ServiceName",   "StartTime",    "StopTime"}));
    EXPECT_TRUE(xml.contains(QStringLiteral("<Tag><![CDATA[Autosend]]></Tag>")));
    EXPECT_TRUE(xml.contains(QStringLiteral("<NextTime>0</NextTime>")));
    EXPECT_TRUE(xml.contains(QStringLiteral("<NextTime>1780003600</NextTime>")));

    CmdSchGetEventsInfoResponse back;
    readBack(response, back);
    EXPECT_EQ(back.serviceName, QStringLiteral("RG"));
    ASSERT_EQ(back.items.size(), 2u);
    const ScheduleItem& a = back.items.at(2);
    EXPECT_EQ(a.commandToSend, first.commandToSend);
    EXPECT_EQ(a.tag, first.tag);
    EXPECT_EQ(a.intervalType, OccurHourly);
    EXPECT_EQ(a.intervalValue, 2);
    EXPECT_EQ(a.nextTime, first.nextTime);
    EXPECT_TRUE(a.permanent);
    EXPECT_EQ(a.startTime, first.startTime);
    EXPECT_FALSE(a.stopTime);
    EXPECT_FALSE(back.items.at(9).nextTime);
    EXPECT_FALSE(back.items.at(9).permanent);
}

TEST(SchGetEventsInfoResponse, ReadingRules) {
    const QByteArray body =
        QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNResponse><Result>0"
                          "</Result><Details>OK</Details>"
                          "<ScheduleItem><ServiceName>A</ServiceName><ScheduleID>3</ScheduleID>"
                          "<Permanent>true</Permanent><IntervalType>OCCUR_DAILY</IntervalType>"
                          "<CommandToSend>one</CommandToSend></ScheduleItem>"
                          "<ScheduleItem><ServiceName>B</ServiceName><ScheduleID>3</ScheduleID>"
                          "<Permanent>True</Permanent><CommandToSend>two</CommandToSend>"
                          "</ScheduleItem></VXNResponse>");
    CmdSchGetEventsInfoResponse response;
    response.parse(body);
    EXPECT_EQ(response.serviceName, QStringLiteral("A"));
    ASSERT_EQ(response.items.size(), 1u);
    EXPECT_EQ(response.items.at(3).commandToSend, QStringLiteral("two"));
    EXPECT_TRUE(response.items.at(3).permanent);
    EXPECT_EQ(response.items.at(3).intervalType, OccurOnce);
}

TEST(CSendCommand, BodyIsTheCommandTextInUtf16) {
    const QString text =
        QStringLiteral("<VXNRequest command=\"RGPX\">\u00e9\U0001F600</VXNRequest>");
    CSendCommand command(QStringLiteral("RGPX"), text);
    QByteArray body;
    command.serialize(body);
    ASSERT_EQ(body.size(), text.size() * 2);
    EXPECT_EQ(body.at(0), '<');
    EXPECT_EQ(body.at(1), '\0');
    CSendCommand back;
    back.parse(body);
    EXPECT_EQ(back.text(), text);
    EXPECT_EQ(back.command(), QStringLiteral("RGPX"));
}

} // namespace
