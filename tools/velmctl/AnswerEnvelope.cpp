#include "AnswerEnvelope.h"

#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/packets/PacketDOM.h"

namespace AnswerEnvelope {

Check check(const QString& command, const PacketDOM& answer) {
    if (!answer.document())
        return {Kind::Unreadable,
                QStringLiteral("the answer is no response document: ") + answer.parseError()};
    const QString root = dom::name(answer.rootElement());
    if (root != QLatin1String("VXNResponse"))
        return {Kind::Unreadable,
                QStringLiteral("the answer is a %1 document, not a VXNResponse").arg(root)};
    // Every answer carries a Result, except the empty envelope: the answer to a command no
    // service here handles, and RGPCancelReport's answer when it cancelled.
    if (!answer.firstElement(QStringLiteral("Result")) &&
        command != QLatin1String("RGPCancelReport"))
        return {Kind::NotHandled, QStringLiteral("no service at this address handles ") + command};
    return {};
}

} // namespace AnswerEnvelope
