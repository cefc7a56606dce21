#include "scheduler/CmdSchRegister.h"

#include "scheduler/SchedulePacketText.h"

#include "VXNServiceFramework/dom/DomBuild.h"

#include <algorithm>
#include <limits>

using namespace schedulePacket;

namespace {

// Blank: assign one. A negative number also asks for assignment (a client that sends the -1 it
// means must not replace item 0). Anything but a decimal integer in the range of ids is kept
// for the refusal: read as 0 it would replace item 0.
void readScheduleId(const QString& text, CmdSchRegisterRequest& request) {
    request.scheduleId = -1;
    request.invalidScheduleId = QString();
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return;
    const QStringView digits = QStringView(trimmed).mid(trimmed.startsWith(u'-') ? 1 : 0);
    bool ok = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(),
                                               [](QChar c) { return c >= u'0' && c <= u'9'; });
    const qint64 id = ok ? trimmed.toLongLong(&ok) : 0;
    if (!ok || id < std::numeric_limits<qint32>::min() || id > std::numeric_limits<qint32>::max()) {
        request.invalidScheduleId = text;
        return;
    }
    request.scheduleId = id < 0 ? -1 : id;
}

// Times travel as unsigned 32-bit seconds since 1970, intervals as int.
bool isBlankOrSeconds(const QString& text) {
    return isBlankOrNumberWithin(text, 0, std::numeric_limits<quint32>::max());
}

bool isBlankOrInteger(const QString& text) {
    return isBlankOrNumberWithin(text, std::numeric_limits<qint32>::min(),
                                 std::numeric_limits<qint32>::max());
}

QString named(const QString& field, const QString& text) {
    return field + QStringLiteral(" \"") + text + QLatin1Char('"');
}

} // namespace

bool CmdSchRegisterRequest::hasValidScheduleId() const {
    return invalidScheduleId.isNull() && scheduleId <= std::numeric_limits<qint32>::max();
}

CmdSchRegisterRequest::CmdSchRegisterRequest() : RequestPacket(QStringLiteral("SchRegister")) {}

void CmdSchRegisterRequest::parse(const QByteArray& body) {
    parseReadable(body);
    serviceName = elementText(QStringLiteral("ServiceName"));
    readScheduleId(elementText(QStringLiteral("ScheduleID")), *this);
    item = ScheduleItem{};
    const QString start = elementText(QStringLiteral("StartTime"));
    const QString stop = elementText(QStringLiteral("StopTime"));
    const QString interval = elementText(QStringLiteral("IntervalValue"));
    unreadableNumber.clear();
    if (!isBlankOrSeconds(start))
        unreadableNumber = named(QStringLiteral("StartTime"), start);
    else if (!isBlankOrSeconds(stop))
        unreadableNumber = named(QStringLiteral("StopTime"), stop);
    else if (!isBlankOrInteger(interval))
        unreadableNumber = named(QStringLiteral("IntervalValue"), interval);
    item.startTime = timeFromText(start);
    item.stopTime = optionalTimeFromText(stop);
    item.intervalType = intervalCodeFromName(elementText(QStringLiteral("IntervalType")));
    bool ok = false;
    item.intervalValue = interval.toInt(&ok);
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
    dom::appendCDataElement(rootElement(), QStringLiteral("CommandToSend"), item.commandToSend);
    if (!item.tag.isEmpty())
        dom::appendCDataElement(rootElement(), QStringLiteral("Tag"), item.tag);
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
