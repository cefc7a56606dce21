#pragma once

#include "VXNServiceFramework/packets/Packet.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

#include <QFile>
#include <QTextStream>
#include <QUrl>
#include <memory>
#include <type_traits>

// One service as velmctl talks to it: where it is, and how answers are shown. Readable output
// goes to out(); with --xml the answers' own text is printed instead and out() prints nothing.
// Failures to reach the service throw what HttpClient throws; main turns them into exit codes.
class Session {
public:
    Session(QUrl url, bool xmlOutput);

    const QUrl& url() const { return m_url; }
    // --xml: every answer is printed as it came, and out() prints nothing.
    bool xmlOutput() const { return m_xmlOutput; }

    // An answer that is no response document throws WrongPacketFormat; the empty envelope of a
    // service that does not handle the command answers as a refusal with Result 2. Packets of
    // the DOM family are read once; the others' envelope is read on its own.
    template <class R> std::unique_ptr<R> call(Packet& request) {
        const QByteArray answer = exchange(request);
        auto response = std::make_unique<R>();
        response->parse(answer);
        QString refusal;
        if constexpr (std::is_base_of_v<PacketDOM, R>) {
            refusal = envelopeRefusal(request.command(), *response);
        } else {
            ResponsePacket envelope;
            envelope.parse(answer);
            refusal = envelopeRefusal(request.command(), envelope);
        }
        if (!refusal.isEmpty())
            response->setResult(ResultCode::UnknownCommand, refusal);
        return response;
    }

    // True when the answer's Result is 0; otherwise its Details and Result go to err().
    static bool accepted(const Packet& answer);

    QTextStream& out() { return m_out; }
    static QTextStream& err();

private:
    QByteArray exchange(Packet& request);
    // Throws for an unreadable answer; the refusal text of an empty envelope, else empty.
    static QString envelopeRefusal(const QString& command, const PacketDOM& answer);

    QUrl m_url;
    bool m_xmlOutput;
    QFile m_sink; // standard output, or nowhere under --xml
    QTextStream m_out;
};
