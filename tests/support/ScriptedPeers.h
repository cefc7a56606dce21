#pragma once

#include "support/RequestRecorder.h"

#include "VXNServiceFramework/client/PeerCaller.h"

#include <QHash>
#include <QUrl>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class ScriptedHttpPeer;

// Peers that answer as a test scripts them, reached either in process (this is a PeerCaller to
// hand to a service) or over HTTP (serveOverHttp(): one port that also plays the naming service,
// so a ServiceClient whose dispatcher URL is that port finds every scripted command there).
//
// Requests and answers travel as bytes both ways, exactly as over the wire, and every request
// is recorded. A command without a script answers ResultCode::UnknownCommand, as the service
// client does for a command the naming service does not know.
class ScriptedPeers : public PeerCaller {
public:
    // Answers the request body of one command; may answer any response packet.
    using Answer = std::function<std::unique_ptr<Packet>(const QByteArray& body)>;

    ScriptedPeers();
    ~ScriptedPeers() override;
    ScriptedPeers(const ScriptedPeers&) = delete;
    ScriptedPeers& operator=(const ScriptedPeers&) = delete;

    // Scripts `command`, replacing an earlier script.
    void answer(const QString& command, Answer answer);
    // The same with the request read into a Req first.
    template <class Req> void answer(std::function<std::unique_ptr<Packet>(const Req&)> answer) {
        this->answer(Req().command(), [answer = std::move(answer)](const QByteArray& body) {
            Req request;
            request.parse(body);
            return answer(request);
        });
    }
    // From now on `command` answers `code` with `details` (a peer that fails), until unfail().
    void fail(const QString& command, int code, const QString& details);
    void unfail(const QString& command);
    // Holds every answer until release(), as a peer that is slow to reply; requests that arrive
    // meanwhile are recorded at once and wait.
    void hold();
    void release();

    RequestRecorder& recorder() { return m_recorder; }
    const RequestRecorder& recorder() const { return m_recorder; }

    // The bytes of the answer to `body` sent for `command`; the request is recorded.
    QByteArray respond(const QString& command, const QByteArray& body);

    // PeerCaller. callAsync answers before it returns, so tests need not wait for it.
    using PeerCaller::call;
    std::unique_ptr<Packet> call(Packet& request, const ResponseFactory& makeResponse) override;
    void callAsync(std::unique_ptr<Packet> request) override;

    // Starts (once) the HTTP face on 127.0.0.1 and answers its URL. It serves one connection
    // at a time.
    QUrl serveOverHttp();

private:
    Answer scriptFor(const QString& command);
    QByteArray naming(const QString& command, const QByteArray& body);
    void waitWhileHeld();

    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    QHash<QString, Answer> m_answers;
    QHash<QString, std::pair<int, QString>> m_failures;
    RequestRecorder m_recorder;
    std::unique_ptr<ScriptedHttpPeer> m_http;
};
