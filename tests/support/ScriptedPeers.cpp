#include "support/ScriptedPeers.h"

#include "support/ScriptedHttpPeer.h"

#include "VXNServiceFramework/client/NamingService.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/ResultCodes.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

namespace {

QByteArray bytesOf(Packet& packet) {
    QByteArray body;
    packet.serialize(body);
    return body;
}

QByteArray failure(int code, const QString& details) {
    ResponsePacket response(code, details);
    return bytesOf(response);
}

} // namespace

ScriptedPeers::ScriptedPeers() = default;

ScriptedPeers::~ScriptedPeers() {
    release();
    // The HTTP face goes first: its thread may still be answering through this object.
    m_http.reset();
}

void ScriptedPeers::answer(const QString& command, Answer answer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.insert(command, std::move(answer));
}

void ScriptedPeers::fail(const QString& command, int code, const QString& details) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failures.insert(command, {code, details});
}

void ScriptedPeers::unfail(const QString& command) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failures.remove(command);
}

void ScriptedPeers::hold() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_held = true;
}

void ScriptedPeers::release() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_held = false;
    m_released.notify_all();
}

void ScriptedPeers::waitWhileHeld() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_released.wait(lock, [&] { return !m_held; });
}

QByteArray ScriptedPeers::respond(const QString& command, const QByteArray& body) {
    m_recorder.record(command, body);
    waitWhileHeld();
    Answer answer;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (const auto failed = m_failures.constFind(command); failed != m_failures.cend())
            return failure(failed->first, failed->second);
        answer = m_answers.value(command);
    }
    if (!answer) {
        if (NamingService::isOwnCommand(command))
            return naming(command, body);
        return failure(ResultCode::UnknownCommand, ResultText::cantFindPrefix + command);
    }
    // The script runs unlocked: it may call back into this object or take its time.
    try {
        std::unique_ptr<Packet> response = answer(body);
        if (!response)
            return failure(ResultCode::HandlerException, ResultText::handlerException);
        return bytesOf(*response);
    } catch (const WrongPacketFormat& e) {
        return failure(ResultCode::WrongRequestFormat,
                       ResultText::wrongRequestPrefix + e.message());
    }
}

QByteArray ScriptedPeers::naming(const QString& command, const QByteArray& body) {
    NSFindServiceRequest find;
    if (command != find.command()) {
        // Registrations (and version questions) succeed; the recorder keeps them.
        NSRegisterServiceResponse registered;
        return bytesOf(registered);
    }
    NSFindServiceResponse found;
    try {
        find.parse(body);
    } catch (const WrongPacketFormat& e) {
        found.setResult(ResultCode::WrongRequestFormat, e.message());
        return bytesOf(found);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_http && (m_answers.contains(find.Command) || m_failures.contains(find.Command))) {
        found.ServiceURL = m_http->url().toString();
    } else {
        found.setResult(ResultCode::UnknownCommand, ResultText::cantFindPrefix + find.Command);
    }
    return bytesOf(found);
}

std::unique_ptr<Packet> ScriptedPeers::call(Packet& request, const ResponseFactory& makeResponse) {
    std::unique_ptr<Packet> response = makeResponse();
    QByteArray body;
    try {
        body = bytesOf(request);
    } catch (const WrongPacketFormat& e) {
        response->setResult(ResultCode::WrongRequestFormat,
                            ResultText::wrongRequestPrefix + e.message());
        return response;
    }
    const QByteArray answer = respond(request.command(), body);
    try {
        response->parse(answer);
    } catch (const WrongPacketFormat& e) {
        response->setResult(ResultCode::WrongResponseFormat,
                            ResultText::wrongResponsePrefix + e.message());
    }
    return response;
}

void ScriptedPeers::callAsync(std::unique_ptr<Packet> request) {
    try {
        respond(request->command(), bytesOf(*request));
    } catch (const WrongPacketFormat&) {
        // Dropped, as the service client drops an asynchronous send that fails.
    }
}

QUrl ScriptedPeers::serveOverHttp() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_http) {
        m_http = std::make_unique<ScriptedHttpPeer>();
        m_http->setResponder([this](const ScriptedHttpPeer::Request& request) {
            QString command = request.target;
            if (command.startsWith(QLatin1Char('/')))
                command.remove(0, 1);
            return ScriptedHttpPeer::ok(respond(command, request.body));
        });
    }
    return m_http->url();
}
