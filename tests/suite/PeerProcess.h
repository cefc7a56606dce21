#pragma once

#include "VXNServiceFramework/HttpClient.h"
#include "VXNServiceFramework/Packet.h"

#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <memory>

// A velm-peers process started for a test, with a client that sends packets to it.
class PeerProcess {
public:
    // Starts velm-peers with the arguments and waits for its listening line. Answers false
    // (with the output in log()) when it does not come up.
    bool start(const QStringList& arguments);
    // SIGTERM, then wait; answers the exit code (-1 when it did not end in time or crashed).
    int terminate();

    QUrl url() const { return m_url; }
    QString log();

    template <class R> std::unique_ptr<R> call(Packet& request) const {
        QByteArray body;
        request.serialize(body);
        auto response = std::make_unique<R>();
        response->parse(HttpClient().send(m_url, request.command(), body, true));
        return response;
    }

private:
    QProcess m_process;
    QByteArray m_output;
    QUrl m_url;
};
