#include "VELMPluginReportGenerator/templates/BodyText.h"

#include "VXNServiceFramework/packets/Packet.h"

namespace bodyText {

QString fromBody(const QByteArray& body) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(body.constData()), body.size() / 2);
}

QByteArray toBody(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

QString of(Packet& packet) {
    QByteArray body;
    packet.serialize(body);
    return fromBody(body);
}

} // namespace bodyText
