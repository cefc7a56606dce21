#include "VXNServiceFramework/client/ServiceClient.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/client/AcyncSender.h"
#include "VXNServiceFramework/client/NamingService.h"
#include "VXNServiceFramework/dispatch/LocalDispatcher.h"
#include "VXNServiceFramework/packets/ResultCodes.h"
#include "VXNServiceFramework/threads/ThreadGroup.h"

#include <typeinfo>

using VXNServiceClient::UnknownCommand;

namespace {
QString connectionFailureText(QAbstractSocket::SocketError reason) {
    switch (reason) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("connection refused");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("host not found");
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("no connection within the time limit");
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("connection closed by the peer");
    default:
        return QStringLiteral("connection failed");
    }
}
} // namespace

ServiceClient::ServiceClient() : m_senders(std::make_unique<ThreadGroup>()) {}

ServiceClient::~ServiceClient() {
    shutdown();
    m_senders.reset(); // waits for the sender threads, which now end quickly
}

ServiceClient& ServiceClient::instance() {
    static ServiceClient client;
    return client;
}

void ServiceClient::setNamingServiceUrl(const QUrl& url) {
    std::lock_guard lock(m_settingsMutex);
    m_namingServiceUrl = url;
}

QUrl ServiceClient::namingServiceUrl() const {
    std::lock_guard lock(m_settingsMutex);
    return m_namingServiceUrl;
}

void ServiceClient::setLocalDispatcher(LocalDispatcher* dispatcher) {
    std::unique_lock lock(m_dispatcherMutex);
    m_dispatcher = dispatcher;
    m_dispatcherIdle.wait(lock, [this] { return m_dispatching == 0; });
}

void ServiceClient::setHttpLimits(const HttpClientLimits& limits) {
    std::lock_guard lock(m_settingsMutex);
    m_limits = limits;
}

void ServiceClient::setRetrySleep(std::function<void(std::chrono::milliseconds)> sleep) {
    std::lock_guard lock(m_settingsMutex);
    m_retrySleep = std::move(sleep);
}

QString ServiceClient::cachedUrl(const QString& command) const {
    std::shared_lock lock(m_cacheMutex);
    return m_urlCache.value(command);
}

void ServiceClient::shutdown() {
    std::lock_guard lock(m_shutdownMutex);
    m_shutdown.store(true, std::memory_order_release);
    m_shutdownCondition.notify_all();
}

std::unique_ptr<Packet> ServiceClient::dispatchInProcess(Packet& request) {
    LocalDispatcher* dispatcher = nullptr;
    {
        std::lock_guard lock(m_dispatcherMutex);
        if (!m_dispatcher) {
            return nullptr;
        }
        dispatcher = m_dispatcher;
        ++m_dispatching;
    }
    struct Done {
        ServiceClient& client;
        ~Done() {
            std::lock_guard lock(client.m_dispatcherMutex);
            if (--client.m_dispatching == 0) {
                client.m_dispatcherIdle.notify_all();
            }
        }
    } done{*this};
    return dispatcher->dispatchLocal(request);
}

std::unique_ptr<Packet> ServiceClient::call(Packet& request, const ResponseFactory& makeResponse) {
    return send(request, true, makeResponse);
}

std::unique_ptr<Packet> ServiceClient::probe(Packet& request, const ResponseFactory& makeResponse) {
    return send(request, true, makeResponse, Reach::Probe);
}

std::unique_ptr<Packet> ServiceClient::send(Packet& request, bool waitForResponse,
                                            const ResponseFactory& makeResponse, Reach reach) {
    if (std::unique_ptr<Packet> local = dispatchInProcess(request)) {
        return adopt(std::move(local), makeResponse());
    }
    Outcome outcome = exchange(request, waitForResponse, reach);
    if (!waitForResponse) {
        return nullptr;
    }
    std::unique_ptr<Packet> response = makeResponse();
    if (outcome.code == ResultCode::Ok) {
        try {
            response->parse(outcome.body);
        } catch (const WrongPacketFormat& e) {
            response->setResult(ResultCode::WrongResponseFormat,
                                ResultText::wrongResponsePrefix + e.message());
        }
    } else {
        response->setResult(outcome.code, outcome.details);
    }
    return response;
}

std::unique_ptr<Packet> ServiceClient::adopt(std::unique_ptr<Packet> local,
                                             std::unique_ptr<Packet> expected) {
    if (typeid(*local) == typeid(*expected)) {
        return local;
    }
    // Another packet kind for the same command (the other encoding family, say): the answer
    // travels as it would over HTTP, so no field of it is lost.
    try {
        QByteArray body;
        local->serialize(body);
        expected->parse(body);
        return expected;
    } catch (const WrongPacketFormat&) {
    }
    try {
        expected->setResult(local->result(), local->details());
    } catch (const WrongPacketFormat&) {
        // Not a response at all: the handler misbehaved.
        expected->setResult(ResultCode::HandlerException, ResultText::handlerException);
    }
    return expected;
}

ServiceClient::Outcome ServiceClient::exchange(Packet& request, bool waitForResponse, Reach reach) {
    Outcome outcome;
    QString command;
    try {
        command = request.command();
        request.serialize(outcome.body);
    } catch (const WrongPacketFormat& e) {
        // A request that cannot be written is never sent.
        outcome.code = ResultCode::WrongRequestFormat;
        outcome.details = ResultText::wrongRequestPrefix + e.message();
        return outcome;
    }
    try {
        outcome.body = sendRequest(outcome.body, command, waitForResponse, reach);
    } catch (const ConnectionError&) {
        outcome.code = ResultCode::ConnectionFailed;
        outcome.details = ResultText::connectionFailed;
    } catch (const UnknownCommand&) {
        outcome.code = ResultCode::UnknownCommand;
        outcome.details = ResultText::cantFindPrefix + command;
    } catch (const CommunicationError&) {
        outcome.code = ResultCode::CommunicationFailed;
        outcome.details = ResultText::communicationFailed;
    } catch (const std::exception&) {
        // Nothing else is expected from the transport; the caller still gets a failure.
        outcome.code = ResultCode::CommunicationFailed;
        outcome.details = ResultText::communicationFailed;
    }
    if (outcome.code != ResultCode::Ok) {
        outcome.body.clear();
    }
    return outcome;
}

QByteArray ServiceClient::sendRequest(const QByteArray& body, const QString& command,
                                      bool waitForResponse, Reach reach) {
    const bool probing = reach == Reach::Probe;
    const int attempts = !probing ? maxAttempts : cachedUrl(command).isEmpty() ? 1 : 2;
    for (int attempt = 1;; ++attempt) {
        QString url;
        QString why;
        try {
            if (m_shutdown.load(std::memory_order_acquire)) {
                throw ConnectionError();
            }
            url = resolveServiceUrl(command, attempt > 1, reach);
            HttpClientLimits limits;
            {
                std::lock_guard lock(m_settingsMutex);
                limits = m_limits;
            }
            limits.abandon = &m_shutdown;
            return HttpClient(limits).send(QUrl(url), command, body, waitForResponse);
        } catch (const ConnectionError& e) {
            if (attempt >= attempts || m_shutdown.load(std::memory_order_acquire)) {
                throw;
            }
            if (attempt == 1)
                why = url.isEmpty()
                          ? QStringLiteral("the naming service at %1 could not be reached")
                                .arg(namingServiceUrl().toString())
                          : QStringLiteral("%1 at %2").arg(connectionFailureText(e.reason()), url);
        } catch (const UnknownCommand&) {
            if (attempt >= attempts || m_shutdown.load(std::memory_order_acquire)) {
                throw;
            }
            if (attempt == 1)
                why = QStringLiteral("the naming service knows no service for it");
        }
        if (probing) {
            continue; // a probe's second attempt follows at once
        }
        // The retry line says nothing of the call; its first one is told here.
        if (!why.isEmpty()) {
            VELM_ERR << "SendRequest " << command << ": " << why;
        }
        VELM_ERR << "SendRequest retry in "
                 << static_cast<int>(
                        std::chrono::duration_cast<std::chrono::seconds>(retryPause).count())
                 << "sec.";
        pauseBeforeRetry();
    }
}

void ServiceClient::pauseBeforeRetry() {
    std::function<void(std::chrono::milliseconds)> sleep;
    {
        std::lock_guard lock(m_settingsMutex);
        sleep = m_retrySleep;
    }
    if (sleep) {
        sleep(retryPause);
        return;
    }
    std::unique_lock lock(m_shutdownMutex);
    m_shutdownCondition.wait_for(lock, retryPause,
                                 [this] { return m_shutdown.load(std::memory_order_acquire); });
}

QString ServiceClient::resolveServiceUrl(const QString& command, bool forceLookup, Reach reach) {
    if (NamingService::isOwnCommand(command)) {
        return namingServiceUrl().toString();
    }
    if (!forceLookup) {
        std::shared_lock lock(m_cacheMutex);
        auto it = m_urlCache.constFind(command);
        if (it != m_urlCache.constEnd()) {
            return it.value();
        }
    }
    const NamingService::Lookup lookup =
        NamingService::findService(*this, command, reach == Reach::Probe);
    if (lookup.unanswered()) {
        // A naming service that hangs is not one that does not know the command: every
        // further lookup would wait the full answer limit again.
        throw CommunicationError();
    }
    if (lookup.result != ResultCode::Ok) {
        throw UnknownCommand();
    }
    std::unique_lock lock(m_cacheMutex);
    m_urlCache.insert(command, lookup.url);
    return lookup.url;
}

bool ServiceClient::registerService(const QUrl& ownUrl, const QStringList& commands) {
    VELM_INFO << "Registration in naming service: "
              << QString::fromLatin1(namingServiceUrl().toEncoded());
    const bool registered = NamingService::registerService(*this, ownUrl, commands);
    VELM_INFO << (registered ? "Registration successful" : "Registration failed");
    return registered;
}

void ServiceClient::sendAsync(std::unique_ptr<Packet> request) {
    // Owned by the group from here on, which deletes it after its run.
    auto* sender = new AcyncSender(m_senders.get(), *this, std::move(request));
    sender->start();
}
