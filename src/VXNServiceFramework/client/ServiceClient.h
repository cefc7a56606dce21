#pragma once

#include "VXNServiceFramework/client/PeerCaller.h"
#include "VXNServiceFramework/http/HttpClient.h"
#include "VXNServiceFramework/packets/Packet.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <QMap>
#include <QStringList>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <type_traits>

class LocalDispatcher;
class ThreadGroup;

namespace VXNServiceClient {
using ConnectionError = ::ConnectionError;
using CommunicationError = ::CommunicationError;
// The naming service does not know the command (or could not be asked).
class UnknownCommand : public std::exception {
public:
    const char* what() const noexcept override { return "UnknownCommand"; }
};
} // namespace VXNServiceClient

// The one way to call another service, in this process or in another one. A command served by a
// service of this process is dispatched directly on the calling thread; any other goes over HTTP
// to the URL the naming service gives for it (cached), with up to five attempts. Every failure
// becomes a response with a non-zero Result:
//   1 "Connection to service failed", 2 "Can't find service for command: <command>",
//   4 "Wrong response format: <parser message>", 6 "Communication with service failed".
// Safe to call from any number of threads at once.
class ServiceClient : public PeerCaller {
public:
    static constexpr int maxAttempts = 5;
    static constexpr std::chrono::milliseconds retryPause{3000};

    ServiceClient();
    ~ServiceClient() override;
    ServiceClient(const ServiceClient&) = delete;
    ServiceClient& operator=(const ServiceClient&) = delete;

    // The process-wide client, created on first use. The application creates it on the main
    // thread, whose event loop reclaims its sender threads.
    static ServiceClient& instance();

    // Sends `request` (not taken over) and answers a new R, or null when not waiting and the
    // command was not served in this process. Never throws.
    template <class R> std::unique_ptr<R> sendCommand(Packet& request, bool waitForResponse) {
        static_assert(std::is_base_of_v<Packet, R> && std::is_default_constructible_v<R>,
                      "R is a response packet class");
        std::unique_ptr<Packet> response = send(request, waitForResponse, [] {
            return std::unique_ptr<Packet>(std::make_unique<R>());
        });
        return std::unique_ptr<R>(static_cast<R*>(response.release()));
    }

    // How hard a send tries to reach a service in another process.
    enum class Reach {
        Retried, // maxAttempts attempts, retryPause apart; each lookup retries the same way
        // One attempt, its lookup one attempt too; when the URL came from the cache, one more
        // at once with a fresh lookup, so that a service that moved is still found.
        Probe,
    };

    // PeerCaller: the waiting send, the probe and the asynchronous send.
    using PeerCaller::call;
    using PeerCaller::probe;
    std::unique_ptr<Packet> call(Packet& request, const ResponseFactory& makeResponse) override;
    std::unique_ptr<Packet> probe(Packet& request, const ResponseFactory& makeResponse) override;
    void callAsync(std::unique_ptr<Packet> request) override { sendAsync(std::move(request)); }

    // Sends `request` on a sender thread without waiting; failures are dropped after the
    // retries. Returns at once.
    void sendAsync(std::unique_ptr<Packet> request);

    // The HTTP exchange with retries: a command that cannot be reached (no connection, or not
    // known to the naming service) is tried again after the retry pause with a fresh lookup,
    // five attempts in all. Throws ConnectionError, UnknownCommand or CommunicationError.
    QByteArray sendRequest(const QByteArray& body, const QString& command, bool waitForResponse,
                           Reach reach = Reach::Retried);

    // The URL of the service for `command`: the naming service itself for its own commands and
    // VXNGetVersion, else the cached URL unless `forceLookup`, else asked with NSFindService
    // (sent with `reach`). Throws UnknownCommand when the naming service does not give one, and
    // CommunicationError when it took the lookup but did not answer it.
    QString resolveServiceUrl(const QString& command, bool forceLookup,
                              Reach reach = Reach::Retried);

    // Registers `ownUrl` and `commands` (in the given order) with the naming service; logs the
    // outcome on "info" and answers whether it succeeded.
    bool registerService(const QUrl& ownUrl, const QStringList& commands);

    void setNamingServiceUrl(const QUrl& url);
    QUrl namingServiceUrl() const;

    // The services of this process; null: none. Returns once no in-process call through the
    // previous dispatcher is running any more, so that it may then be destroyed.
    void setLocalDispatcher(LocalDispatcher* dispatcher);

    // The cached URL for `command`; empty when none.
    QString cachedUrl(const QString& command) const;

    // For tests: the transport limits and how the retry pause is waited (the pause is
    // retryPause whatever the function does).
    void setHttpLimits(const HttpClientLimits& limits);
    void setRetrySleep(std::function<void(std::chrono::milliseconds)> sleep);

    // Ends waiting retry pauses and exchanges waiting for a peer's answer at once, and makes
    // further attempts fail to connect; called when the process ends so that sender threads,
    // handlers and the registration do not hold it up.
    void shutdown();

private:
    struct Outcome {
        QByteArray body;
        int code = 0; // 0: body holds the answer
        QString details;
    };

    // What the factory makes, filled from the answer; null only when not waiting and the
    // command went over HTTP.
    std::unique_ptr<Packet> send(Packet& request, bool waitForResponse,
                                 const ResponseFactory& makeResponse, Reach reach = Reach::Retried);
    // Null when no service of this process answered.
    std::unique_ptr<Packet> dispatchInProcess(Packet& request);
    Outcome exchange(Packet& request, bool waitForResponse, Reach reach);
    // The in-process answer as the packet kind the caller expects.
    static std::unique_ptr<Packet> adopt(std::unique_ptr<Packet> local,
                                         std::unique_ptr<Packet> expected);
    void pauseBeforeRetry();

    // In-process calls running through the dispatcher, so that withdrawing it can wait for them
    // (a count rather than a lock: a handler may call in-process again).
    std::mutex m_dispatcherMutex;
    std::condition_variable m_dispatcherIdle;
    LocalDispatcher* m_dispatcher = nullptr;
    int m_dispatching = 0;

    mutable std::mutex m_settingsMutex; // naming-service URL, limits, retry sleep
    QUrl m_namingServiceUrl;
    HttpClientLimits m_limits;
    std::function<void(std::chrono::milliseconds)> m_retrySleep;

    mutable std::shared_mutex m_cacheMutex;
    QMap<QString, QString> m_urlCache;

    std::mutex m_shutdownMutex;
    std::condition_variable m_shutdownCondition;
    std::atomic<bool> m_shutdown{false};

    std::unique_ptr<ThreadGroup> m_senders;
};
