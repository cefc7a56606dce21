#include "AnswerEnvelope.h"

#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"

namespace AnswerEnvelope {

Check check(const QString& command, const QByteArray& answer) {
    ResponsePacket packet;
    packet.parse(answer);
    if (!packet.document())
        return {Kind::Unreadable,
                QStringLiteral("the answer is no response document: ") + packet.details()};
    const QString root = dom::name(packet.rootElement());
    if (root != QLatin1String("VXNResponse"))
        return {Kind::Unreadable,
                QStringLiteral("the answer is a %1 document, not a VXNResponse").arg(root)};
    // Every answer carries a Result, except the empty envelope: the answer to a command no
    // service here handles, and RGPCancelReport's answer when it cancelled.
    if (!packet.firstElement(QStringLiteral("Result")) &&
        command != QLatin1String("RGPCancelReport"))
        return {Kind::NotHandled, QStringLiteral("no service at this address handles ") + command};
    return {};
}

} // namespace AnswerEnvelope
