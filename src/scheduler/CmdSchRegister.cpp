#include "scheduler/CmdSchRegister.h"

#include "scheduler/SchedulePacketText.h"

#include "VXNServiceFramework/packets/WrongPacketFormat.h"

using namespace schedulePacket;

namespace {

// Empty or absent: assign one. A negative number also asks for assignment (a client that sends
// the -1 it means must not replace item 0); any other text that is not a number reads as 0.
qint64 requestedId(const QString& text) {
    if (text.isEmpty())
        return -1;
    bool ok = false;
    const qint64 id = text.toLongLong(&ok);
    if (!ok)
        return 0;
    return id < 0 ? -1 : id;
}

} // namespace

CmdSchRegisterRequest::CmdSchRegisterRequest() : RequestPacket(QStringLiteral("SchRegister")) {}

void CmdSchRegisterRequest::parse(const QByteArray& body) {
    RequestPacket::parse(body);
    if (!document())
        throw WrongPacketFormat(parseError());
    serviceName = elementText(QStringLiteral("ServiceName"));
    scheduleId = requestedId(elementText(QStringLiteral("ScheduleID")));
    item = ScheduleItem{};
    item.startTime = timeFromText(elementText(QStringLiteral("StartTime")));
    item.stopTime = optionalTimeFromText(elementText(QStringLiteral("StopTime")));
    item.intervalType = intervalCodeFromName(elementText(QStringLiteral("IntervalType")));
    bool ok = false;
    item.intervalValue = elementText(QStringLiteral("IntervalValue")).toInt(&ok);
    if (!ok || item.intervalValue <= 0)
        item.intervalValue = 1;
    item.permanent = elementText(QStringLiteral("Permanent")).toUpper() == QLatin1String("TRUE");
    item.commandToSend = elementText(QStringLiteral("CommandToSend"));
    item.tag = elementText(QStringLiteral("Tag"));
}

void CmdSchRegisterRequest::serialize(QByteArray& body) {
    buildDocument();
    addElement(QStringLiteral("ServiceName"), serviceName);
    addElement(QStringLiteral("StartTime"), textOf(item.startTime));
    addElement(QStringLiteral("IntervalType"), intervalName(item.intervalType));
    addElement(QStringLiteral("IntervalValue"), QString::number(item.intervalValue));
    addElement(QStringLiteral("Permanent"), booleanText(item.permanent));
    addElement(QStringLiteral("StopTime"), textOf(item.stopTime));
    // Written only for a replace, so that the scheduler replaces rather than adds an item.
    if (scheduleId >= 0)
        addElement(QStringLiteral("ScheduleID"), QString::number(scheduleId));
    appendCData(document(), rootElement(), QStringLiteral("CommandToSend"), item.commandToSend);
    if (!item.tag.isEmpty())
        appendCData(document(), rootElement(), QStringLiteral("Tag"), item.tag);
    RequestPacket::serialize(body);
}

void CmdSchRegisterResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    scheduleId = elementText(QStringLiteral("ScheduleID")).toInt();
}

void CmdSchRegisterResponse::serialize(QByteArray& body) {
    buildDocument();
    addElement(QStringLiteral("ScheduleID"), QString::number(scheduleId));
    ResponsePacket::serialize(body);
}
