#include "scheduler/SchedulePacketText.h"

#include "scheduler/ScheduleItem.h"

#include "VXNServiceFramework/packets/WrongPacketFormat.h"
#include "VXNServiceFramework/dom/XercesString.h"

#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

namespace schedulePacket {

QDateTime timeFromText(const QString& text) {
    return localFromSeconds(text.toUInt());
}

std::optional<QDateTime> optionalTimeFromText(const QString& text) {
    return optionalLocalFromSeconds(text.toUInt());
}

QString textOf(const QDateTime& time) {
    return QString::number(secondsOf(time));
}

QString textOf(const std::optional<QDateTime>& time) {
    return QString::number(secondsOf(time));
}

QString booleanText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

void appendCData(PacketDOM::DOMDocument* document, PacketDOM::DOMElement* parent,
                 const QString& name, const QString& text) {
    try {
        DOMElement* element = document->createElement(toXml(name));
        // A section cannot hold "]]>": split it between two sections, which readers join.
        const QString end = QStringLiteral("]]>");
        qsizetype from = 0;
        for (qsizetype at = text.indexOf(end); at >= 0; at = text.indexOf(end, at + 1)) {
            const QString piece = text.mid(from, at + 2 - from);
            element->appendChild(document->createCDATASection(toXml(piece)));
            from = at + 2;
        }
        const QString rest = text.mid(from);
        element->appendChild(document->createCDATASection(toXml(rest)));
        parent->appendChild(element);
    } catch (const DOMException& e) {
        throw WrongPacketFormat(fromXml(e.getMessage()));
    }
}

} // namespace schedulePacket
