#include "scheduler/CmdSchGetEventsInfoResponse.h"

#include "scheduler/SchedulePacketText.h"

#include "VXNServiceFramework/dom/DomBuild.h"

#include "VXNServiceFramework/dom/XercesString.h"

#include <QMap>
#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE
using namespace schedulePacket;

namespace {

const QString kCData = QStringLiteral("CDATA::");

} // namespace

void CmdSchGetEventsInfoResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    serviceName.clear();
    items.clear();
    const DOMDocument* doc = document();
    if (!doc)
        return;
    const DOMNodeList* elements = doc->getElementsByTagName(u"ScheduleItem");
    for (XMLSize_t i = 0; i < elements->getLength(); ++i) {
        StringMap fields;
        childPairs(elements->item(i), fields);
        if (i == 0)
            serviceName = fields.value(QStringLiteral("ServiceName"));
        ScheduleItem item;
        item.commandToSend = fields.value(QStringLiteral("CommandToSend"));
        item.tag = fields.value(QStringLiteral("Tag"));
        item.intervalType = intervalCodeFromName(fields.value(QStringLiteral("IntervalType")));
        item.intervalValue = qint32(fields.value(QStringLiteral("IntervalValue")).toUInt());
        item.nextTime = optionalTimeFromText(fields.value(QStringLiteral("NextTime")));
        item.permanent = fields.value(QStringLiteral("Permanent")) == QLatin1String("True");
        item.scheduleId = fields.value(QStringLiteral("ScheduleID")).toInt();
        item.startTime = timeFromText(fields.value(QStringLiteral("StartTime")));
        item.stopTime = optionalTimeFromText(fields.value(QStringLiteral("StopTime")));
        items[item.scheduleId] = item;
    }
}

void CmdSchGetEventsInfoResponse::serialize(QByteArray& body) {
    buildDocument();
    for (const auto& [id, item] : items) {
        // Children go out in the order of their names; the two texts are keyed with a prefix
        // that marks them as CDATA sections (and so sorts them first).
        QMap<QString, QString> fields;
        fields.insert(kCData + QStringLiteral("CommandToSend"), item.commandToSend);
        if (!item.tag.isEmpty())
            fields.insert(kCData + QStringLiteral("Tag"), item.tag);
        fields.insert(QStringLiteral("IntervalType"), intervalName(item.intervalType));
        fields.insert(QStringLiteral("IntervalValue"), QString::number(item.intervalValue));
        fields.insert(QStringLiteral("NextTime"), textOf(item.nextTime));
        fields.insert(QStringLiteral("Permanent"), booleanText(item.permanent));
        fields.insert(QStringLiteral("ScheduleID"), QString::number(id));
        fields.insert(QStringLiteral("ServiceName"), serviceName);
        fields.insert(QStringLiteral("StartTime"), textOf(item.startTime));
        fields.insert(QStringLiteral("StopTime"), textOf(item.stopTime));

        DOMElement* element = document()->createElement(u"ScheduleItem");
        rootElement()->appendChild(element);
        for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
            if (it.key().contains(kCData)) {
                dom::appendCDataElement(element, QString(it.key()).remove(kCData), it.value());
            } else {
                element->appendChild(createTextElement(it.key(), it.value()));
            }
        }
    }
    ResponsePacket::serialize(body);
}
