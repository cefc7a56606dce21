#include "Session.h"

#include "AnswerEnvelope.h"
#include "MessageText.h"

#include "VXNServiceFramework/http/HttpClient.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <cstdio>

namespace {

QTextStream& standardOutput() {
    static QTextStream stream(stdout);
    return stream;
}

} // namespace

Session::Session(QUrl url, bool xmlOutput) : m_url(std::move(url)), m_xmlOutput(xmlOutput) {
    if (m_xmlOutput) {
        m_sink.setFileName(QStringLiteral("/dev/null"));
        m_sink.open(QIODevice::WriteOnly);
    } else {
        m_sink.open(stdout, QIODevice::WriteOnly);
    }
    m_out.setDevice(&m_sink);
}

QTextStream& Session::err() {
    static QTextStream stream(stderr);
    return stream;
}

bool Session::accepted(const Packet& answer) {
    if (answer.result() == 0)
        return true;
    // Some refusals carry no Details; the code alone still tells docs/commands.md's reader.
    err() << "velmctl: "
          << (answer.details().isEmpty() ? QStringLiteral("the service refused") : answer.details())
          << " (Result " << answer.result() << ")" << Qt::endl;
    return false;
}

QByteArray Session::exchange(Packet& request) {
    QByteArray body;
    request.serialize(body);
    const QByteArray answer = HttpClient().send(m_url, request.command(), body, true);
    if (m_xmlOutput)
        standardOutput() << MessageText::asUtf8Document(answer) << Qt::endl;
    return answer;
}

QString Session::envelopeRefusal(const QString& command, const PacketDOM& answer) {
    const AnswerEnvelope::Check envelope = AnswerEnvelope::check(command, answer);
    switch (envelope.kind) {
    case AnswerEnvelope::Kind::Unreadable:
        throw WrongPacketFormat(envelope.problem);
    case AnswerEnvelope::Kind::NotHandled:
        return envelope.problem;
    case AnswerEnvelope::Kind::Response:
        break;
    }
    return {};
}
