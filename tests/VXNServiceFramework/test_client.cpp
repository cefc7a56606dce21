#include "captured_log.h"

#include "VXNServiceFramework/client/NamingService.h"
#include "VXNServiceFramework/client/ServiceClient.h"
#include "VXNServiceFramework/dispatch/LocalDispatcher.h"
#include "VXNServiceFramework/dispatch/RequestRouter.h"
#include "VXNServiceFramework/http/Listener.h"
#include "VXNServiceFramework/packets/RequestPacket.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/threads/ThreadGroup.h"
#include "support/CoreApplication.h"
#include "support/ScriptedHttpPeer.h"

#include "support/TestSemaphore.h"
#include <QRegularExpression>
#include <QTcpServer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

namespace {

const QByteArray okAnswer = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNResponse>\n"
                            "\t<Result>0</Result>\n\t<Details>OK</Details>\n</VXNResponse>\n";

const QString retryLine = QStringLiteral("err: SendRequest retry in 3sec.");

QByteArray findAnswer(int result, const QString& url) {
    return ("<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNResponse>\n\t<Result>" +
            QString::number(result) + "</Result>\n\t<Details>" +
            (result == 0 ? QStringLiteral("OK") : QStringLiteral("Not found")) +
            "</Details>\n\t<ServiceURL>" + url + "</ServiceURL>\n</VXNResponse>\n")
        .toUtf8();
}

QString commandOf(const ScriptedHttpPeer::Request& request) {
    static const QRegularExpression re(QStringLiteral("<Command>(.*)</Command>"));
    return re.match(QString::fromUtf8(request.body)).captured(1);
}

// A URL where nothing listens.
QUrl deadUrl() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort()));
}

// A DOM response of its own class, to see whether the client hands back what the service made.
class TestResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;
};

// Services of "this process": answers commands starting with "Local".
class ScriptedLocalServices : public LocalDispatcher {
public:
    std::unique_ptr<Packet> dispatchLocal(Packet& request) override {
        ++calls;
        if (request.command() == QStringLiteral("LocalOwn")) {
            return std::make_unique<TestResponse>(0, QStringLiteral("served here"));
        }
        if (request.command() == QStringLiteral("LocalPaused")) {
            return std::make_unique<ResponsePacket>(5, QStringLiteral("Service paused"));
        }
        return nullptr;
    }
    std::atomic<int> calls{0};
};

// A naming service that serves connections concurrently (the framework's own listener on a
// thread of its own): every command is at "http://<command>:1/".
class ConcurrentNamingService : public RequestRouter {
public:
    ConcurrentNamingService() : m_loop(*this) {
        std::future<quint16> port = m_loop.port.get_future();
        m_loop.start();
        m_port = port.get();
    }
    ~ConcurrentNamingService() override {
        m_loop.quit();
        m_loop.waitUntilServed();
        m_loop.wait();
    }

    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_port)); }

    std::unique_ptr<Packet> route(const QString&, const QByteArray& body) override {
        NSFindServiceRequest request;
        request.parse(body);
        auto response = std::make_unique<NSFindServiceResponse>();
        response->ServiceURL = "http://" + request.Command + ":1/";
        return response;
    }

private:
    // The listener and its connection group live on this thread's event loop.
    struct Loop : QThread {
        explicit Loop(RequestRouter& router) : router(router) {}
        void run() override {
            {
                ThreadGroup group;
                Listener listener(router, group, nullptr, 0);
                port.set_value(listener.serverPort());
                exec();
            }
            // Its workers have been joined: said under a lock a thread checker sees, as the
            // end of a QThread is not.
            std::lock_guard<std::mutex> lock(mutex);
            served = true;
            ended.notify_all();
        }
        void waitUntilServed() {
            std::unique_lock<std::mutex> lock(mutex);
            ended.wait(lock, [this] { return served; });
        }
        RequestRouter& router;
        std::promise<quint16> port;
        std::mutex mutex;
        std::condition_variable ended;
        bool served = false;
    };

    Loop m_loop;
    quint16 m_port = 0;
};

class ServiceClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureCoreApplication();
        HttpClientLimits limits;
        limits.connectTimeoutMs = 2000;
        limits.readTimeoutMs = 2000;
        limits.writeTimeoutMs = 2000;
        client.setHttpLimits(limits);
        client.setRetrySleep([this](std::chrono::milliseconds pause) {
            sleeps.fetch_add(1);
            EXPECT_EQ(pause, std::chrono::milliseconds(3000));
        });
    }

    ServiceClient client;
    std::atomic<int> sleeps{0};
};

TEST_F(ServiceClientTest, InProcessServiceIsCalledWithoutNetwork) {
    ScriptedLocalServices local;
    client.setLocalDispatcher(&local);
    client.setNamingServiceUrl(deadUrl());
    CapturedLog log;

    RequestPacket own(QStringLiteral("LocalOwn"));
    std::unique_ptr<TestResponse> same = client.sendCommand<TestResponse>(own, true);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->details(), QStringLiteral("served here"));

    // A dispatcher failure comes back as a packet of another class: copied into an R.
    RequestPacket paused(QStringLiteral("LocalPaused"));
    std::unique_ptr<TestResponse> converted = client.sendCommand<TestResponse>(paused, true);
    ASSERT_TRUE(converted);
    EXPECT_EQ(converted->result(), 5);
    EXPECT_EQ(converted->details(), QStringLiteral("Service paused"));

    // Also when not waiting, an in-process answer is handed back.
    EXPECT_TRUE(client.sendCommand<TestResponse>(own, false));
    EXPECT_EQ(sleeps, 0);
    EXPECT_TRUE(log.lines().isEmpty());
    client.setLocalDispatcher(nullptr);
}

TEST_F(ServiceClientTest, CommandUnknownToNamingServiceIsLookedUpFiveTimes) {
    ScriptedHttpPeer naming;
    naming.setResponder(
        [](const ScriptedHttpPeer::Request&) { return ScriptedHttpPeer::ok(findAnswer(1, {})); });
    client.setNamingServiceUrl(naming.url());
    CapturedLog log;

    RequestPacket request(QStringLiteral("RGPGetReportStatus"));
    std::unique_ptr<ResponsePacket> response = client.sendCommand<ResponsePacket>(request, true);
    ASSERT_TRUE(response);
    EXPECT_EQ(response->result(), 2);
    EXPECT_EQ(response->details(),
              QStringLiteral("Can't find service for command: RGPGetReportStatus"));

    const std::vector<ScriptedHttpPeer::Request> lookups = naming.requests();
    ASSERT_EQ(lookups.size(), 5u);
    for (const ScriptedHttpPeer::Request& lookup : lookups) {
        EXPECT_EQ(lookup.target, QStringLiteral("NSFindService"));
        EXPECT_EQ(commandOf(lookup), QStringLiteral("RGPGetReportStatus"));
    }
    // The first retry is preceded by what failed; the others only say they retry.
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("err: SendRequest RGPGetReportStatus: the "
                                                      "naming service knows no service for it")} +
                               QStringList(4, retryLine));
    EXPECT_EQ(sleeps, 4);
    EXPECT_TRUE(client.cachedUrl(QStringLiteral("RGPGetReportStatus")).isEmpty());
}

TEST_F(ServiceClientTest, NamingServiceThatDoesNotAnswerALookupIsAskedOnce) {
    // It takes each lookup and lets it wait past the answer limit (a stopped process does
    // that); asking it again would wait as long again, for each of the five attempts.
    ScriptedHttpPeer naming;
    naming.setResponder([](const ScriptedHttpPeer::Request&) {
        ScriptedHttpPeer::Reply reply = ScriptedHttpPeer::ok(findAnswer(0, "http://x/"));
        reply.delayMs = 1500;
        return reply;
    });
    HttpClientLimits limits;
    limits.readTimeoutMs = 300;
    client.setHttpLimits(limits);
    client.setNamingServiceUrl(naming.url());
    CapturedLog log;

    RequestPacket request(QStringLiteral("WEBUploadTemporaryFile"));
    std::unique_ptr<ResponsePacket> response = client.sendCommand<ResponsePacket>(request, true);
    ASSERT_TRUE(response);
    EXPECT_EQ(response->result(), 6);
    EXPECT_EQ(response->details(), QStringLiteral("Communication with service failed"));
    EXPECT_EQ(naming.requests().size(), 1u);
    EXPECT_EQ(sleeps, 0);
    EXPECT_TRUE(client.cachedUrl(QStringLiteral("WEBUploadTemporaryFile")).isEmpty());
}

TEST_F(ServiceClientTest, MovedServiceIsLookedUpAgainAndCached) {
    ScriptedHttpPeer service;
    service.setResponder(
        [](const ScriptedHttpPeer::Request&) { return ScriptedHttpPeer::ok(okAnswer); });
    ScriptedHttpPeer naming;
    const QUrl gone = deadUrl();
    std::atomic<int> lookups{0};
    naming.setResponder([&](const ScriptedHttpPeer::Request&) {
        // The first lookup tells a URL that no longer answers; later ones the new place.
        const QUrl url = lookups.fetch_add(1) == 0 ? gone : service.url();
        return ScriptedHttpPeer::ok(findAnswer(0, url.toString()));
    });
    client.setNamingServiceUrl(naming.url());
    CapturedLog log;

    // Cache the old URL with a first lookup.
    EXPECT_EQ(client.resolveServiceUrl(QStringLiteral("DBSProcessQuery"), false), gone.toString());

    RequestPacket request(QStringLiteral("DBSProcessQuery"));
    std::unique_ptr<ResponsePacket> response = client.sendCommand<ResponsePacket>(request, true);
    ASSERT_TRUE(response);
    EXPECT_EQ(response->result(), 0);
    EXPECT_EQ(lookups, 2);
    EXPECT_EQ(log.lines(),
              (QStringList{QStringLiteral("err: SendRequest DBSProcessQuery: connection refused "
                                          "at ") +
                               gone.toString(),
                           retryLine}));
    EXPECT_EQ(client.cachedUrl(QStringLiteral("DBSProcessQuery")), service.url().toString());
    ASSERT_EQ(service.requests().size(), 1u);
    EXPECT_EQ(service.requests().front().target, QStringLiteral("DBSProcessQuery"));

    // From now on the cache answers.
    RequestPacket again(QStringLiteral("DBSProcessQuery"));
    EXPECT_EQ(client.sendCommand<ResponsePacket>(again, true)->result(), 0);
    EXPECT_EQ(lookups, 2);
}

TEST_F(ServiceClientTest, NamingServiceCommandsGoStraightToIt) {
    ScriptedHttpPeer naming;
    naming.setResponder(
        [](const ScriptedHttpPeer::Request&) { return ScriptedHttpPeer::ok(okAnswer); });
    client.setNamingServiceUrl(naming.url());
    RequestPacket version(QStringLiteral("VXNGetVersion"));
    std::unique_ptr<ResponsePacket> response = client.sendCommand<ResponsePacket>(version, true);
    ASSERT_TRUE(response);
    EXPECT_EQ(response->result(), 0);
    ASSERT_EQ(naming.requests().size(), 1u);
    EXPECT_EQ(naming.requests().front().target, QStringLiteral("VXNGetVersion"));
    EXPECT_TRUE(client.cachedUrl(QStringLiteral("VXNGetVersion")).isEmpty());
}

TEST_F(ServiceClientTest, EmptyAnswerIsWrongResponseFormatForBindingResponses) {
    ScriptedHttpPeer naming;
    // An answer without Content-Length has an empty body.
    naming.setResponder([](const ScriptedHttpPeer::Request&) {
        return ScriptedHttpPeer::raw("HTTP/1.1 200 OK\r\n\r\n");
    });
    client.setNamingServiceUrl(naming.url());
    NSFindServiceRequest request;
    request.Command = QStringLiteral("RGPGenerateReport");
    std::unique_ptr<NSFindServiceResponse> response =
        client.sendCommand<NSFindServiceResponse>(request, true);
    ASSERT_TRUE(response);
    EXPECT_EQ(response->result(), 4);
    EXPECT_TRUE(response->details().startsWith(QStringLiteral("Wrong response format: ")))
        << response->details().toStdString();
    EXPECT_GT(response->details().size(), QStringLiteral("Wrong response format: ").size());
    EXPECT_EQ(naming.requests().size(), 1u); // no retry for an answer that came
    EXPECT_EQ(sleeps, 0);
}

TEST_F(ServiceClientTest, FailuresBecomeCodes) {
    struct Case {
        const char* name;
        bool namingService;   // a naming service that knows every command
        bool answer;          // the service answers (else accepts and closes)
        bool waitForResponse; // else no response is expected at all
        const char* reply;    // the service's bytes; null: a well-formed answer
        int code;
        const char* details;
        int sleeps;
    };
    const Case cases[] = {
        {"no naming service", false, true, true, nullptr, 2,
         "Can't find service for command: DMSGetDeviceList", 24},
        {"peer closes without answer", true, false, true, nullptr, 6,
         "Communication with service failed", 0},
        {"header line without colon", true, true, true, "HTTP/1.1 200 OK\r\nBroken\r\n\r\n", 6,
         "Communication with service failed", 0},
        {"short body", true, true, true, "HTTP/1.1 200 OK\r\nContent-Length:50\r\n\r\n<x/>", 6,
         "Communication with service failed", 0},
        {"not waiting", true, true, false, nullptr, 0, nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceClient fresh;
        fresh.setHttpLimits({2000, 2000, 2000});
        std::atomic<int> pauses{0};
        fresh.setRetrySleep([&](std::chrono::milliseconds) { ++pauses; });
        ScriptedHttpPeer service;
        service.setResponder([&](const ScriptedHttpPeer::Request&) {
            ScriptedHttpPeer::Reply reply =
                c.reply ? ScriptedHttpPeer::raw(c.reply) : ScriptedHttpPeer::ok(okAnswer);
            reply.answer = c.answer;
            return reply;
        });
        ScriptedHttpPeer naming;
        naming.setResponder([&](const ScriptedHttpPeer::Request&) {
            return ScriptedHttpPeer::ok(findAnswer(0, service.url().toString()));
        });
        fresh.setNamingServiceUrl(c.namingService ? naming.url() : deadUrl());
        CapturedLog log;
        RequestPacket request(QStringLiteral("DMSGetDeviceList"));
        std::unique_ptr<ResponsePacket> response =
            fresh.sendCommand<ResponsePacket>(request, c.waitForResponse);
        if (!c.waitForResponse) {
            EXPECT_FALSE(response);
            EXPECT_TRUE(service.waitForRequests(1));
            continue;
        }
        ASSERT_TRUE(response);
        EXPECT_EQ(response->result(), c.code);
        EXPECT_EQ(response->details(), QString::fromUtf8(c.details));
        // Without a naming service every lookup is itself five attempts, and each failed
        // lookup one more attempt of the command.
        EXPECT_EQ(pauses, c.sleeps);
    }
}

TEST_F(ServiceClientTest, NamingServiceCommandsWithoutNamingServiceFailToConnect) {
    client.setNamingServiceUrl(deadUrl());
    NSFindServiceRequest request;
    request.Command = QStringLiteral("X");
    std::unique_ptr<NSFindServiceResponse> response =
        client.sendCommand<NSFindServiceResponse>(request, true);
    ASSERT_TRUE(response);
    EXPECT_EQ(response->result(), 1);
    EXPECT_EQ(response->details(), QStringLiteral("Connection to service failed"));
    EXPECT_EQ(sleeps, 4);
}

TEST_F(ServiceClientTest, RegistrationSendsUrlAndCommands) {
    ScriptedHttpPeer naming;
    naming.enqueue(ScriptedHttpPeer::ok(okAnswer));
    naming.enqueue(ScriptedHttpPeer::ok("<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNResponse>\n"
                                        "\t<Result>3</Result>\n\t<Details>No</Details>\n"
                                        "</VXNResponse>\n"));
    client.setNamingServiceUrl(naming.url());
    CapturedLog log;
    const QUrl own(QStringLiteral("http://localhost:4711/"));
    EXPECT_TRUE(client.registerService(
        own, {QStringLiteral("MGMTCloseApplication"), QStringLiteral("SchRegister")}));
    EXPECT_FALSE(client.registerService(own, {QStringLiteral("MGMTCloseApplication")}));
    ASSERT_EQ(naming.requests().size(), 2u);
    EXPECT_EQ(naming.requests().front().target, QStringLiteral("NSRegisterService"));
    EXPECT_EQ(naming.requests().front().body,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNRequest "
              "command=\"NSRegisterService\">\n\t<URL>http://localhost:4711/</URL>\n"
              "\t<method>MGMTCloseApplication</method>\n\t<method>SchRegister</method>\n"
              "</VXNRequest>\n");
    const QString announce = "info: Registration in naming service: " + naming.url().toString();
    EXPECT_EQ(log.lines(), (QStringList{announce, "info: Registration successful", announce,
                                        "info: Registration failed"}));
}

TEST_F(ServiceClientTest, SendAsyncDeliversWithoutWaiting) {
    ScriptedHttpPeer naming;
    naming.setResponder(
        [](const ScriptedHttpPeer::Request&) { return ScriptedHttpPeer::ok(okAnswer); });
    client.setNamingServiceUrl(naming.url());
    client.sendAsync(std::make_unique<RequestPacket>(QStringLiteral("VXNGetVersion")));
    ASSERT_TRUE(naming.waitForRequests(1));
    EXPECT_EQ(naming.requests().front().target, QStringLiteral("VXNGetVersion"));
}

// Many callers at once read and refresh the URL cache while lookups answer; run under
// ThreadSanitizer (scripts/test --tsan) this shows the cache is safe for concurrent use.
TEST_F(ServiceClientTest, ConcurrentCallersShareTheUrlCache) {
    ConcurrentNamingService naming;
    client.setNamingServiceUrl(naming.url());
    ScriptedLocalServices local;
    client.setLocalDispatcher(&local);
    std::vector<std::thread> callers;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 8; ++t) {
        callers.emplace_back([&, t] {
            for (int i = 0; i < 40; ++i) {
                const QString command = QStringLiteral("Cmd%1").arg((t + i) % 5);
                const QString expected = "http://" + command + ":1/";
                if (client.resolveServiceUrl(command, i % 7 == 0) != expected) {
                    ++wrong;
                }
                const QString cached = client.cachedUrl(command);
                if (!cached.isEmpty() && cached != expected) {
                    ++wrong;
                }
                RequestPacket own(QStringLiteral("LocalOwn"));
                if (client.sendCommand<TestResponse>(own, true)->result() != 0) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& caller : callers) {
        caller.join();
    }
    EXPECT_EQ(wrong, 0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(client.cachedUrl(QStringLiteral("Cmd%1").arg(i)),
                  QStringLiteral("http://Cmd%1:1/").arg(i));
    }
    client.setLocalDispatcher(nullptr);
}

// A probe asks whether a service is there now: one attempt and no pause, whatever is missing;
// only a cached URL that no longer answers earns a second attempt with a fresh lookup.
TEST_F(ServiceClientTest, AProbeAsksOnceWithoutRetryPauses) {
    CapturedLog log;
    RequestPacket request(QStringLiteral("JACAddAccessRights"));

    client.setNamingServiceUrl(deadUrl());
    std::unique_ptr<ResponsePacket> noNaming = client.probe<ResponsePacket>(request);
    EXPECT_EQ(noNaming->result(), 2);
    EXPECT_EQ(noNaming->details(),
              QStringLiteral("Can't find service for command: JACAddAccessRights"));

    ScriptedHttpPeer naming;
    std::atomic<int> lookups{0};
    std::atomic<bool> known{false};
    ScriptedHttpPeer service;
    service.setResponder(
        [](const ScriptedHttpPeer::Request&) { return ScriptedHttpPeer::ok(okAnswer); });
    const QUrl gone = deadUrl();
    naming.setResponder([&](const ScriptedHttpPeer::Request&) {
        // Unknown at first; then known, first at a URL that no longer answers.
        const int lookup = lookups.fetch_add(1);
        if (!known)
            return ScriptedHttpPeer::ok(findAnswer(1, {}));
        return ScriptedHttpPeer::ok(findAnswer(0, (lookup == 1 ? gone : service.url()).toString()));
    });
    client.setNamingServiceUrl(naming.url());
    EXPECT_EQ(client.probe<ResponsePacket>(request)->result(), 2);
    EXPECT_EQ(lookups, 1);

    known = true;
    ASSERT_EQ(client.resolveServiceUrl(request.command(), true), gone.toString());
    EXPECT_EQ(client.probe<ResponsePacket>(request)->result(), 0);
    EXPECT_EQ(lookups, 3);
    EXPECT_EQ(client.cachedUrl(request.command()), service.url().toString());
    EXPECT_EQ(service.requests().size(), 1u);

    EXPECT_EQ(sleeps, 0);
    EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join('\n').toStdString();
}

// The application withdraws itself before it is destroyed: that must wait for in-process
// calls still running through it.
TEST_F(ServiceClientTest, WithdrawingTheDispatcherWaitsForRunningCalls) {
    class SlowServices : public LocalDispatcher {
    public:
        std::unique_ptr<Packet> dispatchLocal(Packet&) override {
            entered.release();
            proceed.acquire();
            return std::make_unique<ResponsePacket>(0);
        }
        TestSemaphore entered;
        TestSemaphore proceed;
    } slow;
    client.setLocalDispatcher(&slow);
    std::thread caller([&] {
        RequestPacket request(QStringLiteral("Anything"));
        EXPECT_EQ(client.sendCommand<ResponsePacket>(request, true)->result(), 0);
    });
    slow.entered.acquire();
    std::atomic<bool> withdrawn{false};
    std::thread withdraw([&] {
        client.setLocalDispatcher(nullptr);
        withdrawn = true;
    });
    QThread::msleep(50);
    EXPECT_FALSE(withdrawn);
    slow.proceed.release();
    caller.join();
    withdraw.join();
    EXPECT_TRUE(withdrawn);
}

} // namespace
