#pragma once

#include "VXNServiceFramework/packets/Packet.h"

#include <QFile>
#include <QTextStream>
#include <QUrl>
#include <memory>

// One service as velmctl talks to it: where it is, and how answers are shown. Readable output
// goes to out(); with --xml the answers' own text is printed instead and out() prints nothing.
// Failures to reach the service throw what HttpClient throws; main turns them into exit codes.
class Session {
public:
    Session(QUrl url, bool xmlOutput);

    const QUrl& url() const { return m_url; }
    // --xml: every answer is printed as it came, and out() prints nothing.
    bool xmlOutput() const { return m_xmlOutput; }

    template <class R> std::unique_ptr<R> call(Packet& request) {
        auto response = std::make_unique<R>();
        response->parse(exchange(request));
        return response;
    }

    // True when the answer's Result is 0; otherwise its Details and Result go to err().
    static bool accepted(const Packet& answer);

    QTextStream& out() { return m_out; }
    static QTextStream& err();

private:
    QByteArray exchange(Packet& request);

    QUrl m_url;
    bool m_xmlOutput;
    QFile m_sink; // standard output, or nowhere under --xml
    QTextStream m_out;
};
