#include "VXNServiceFramework/dispatch/CommandHost.h"
#include "VXNServiceFramework/packets/RequestPacket.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

#include "support/TestSemaphore.h"
#include <gtest/gtest.h>
#include <thread>

namespace {

// A service built on state it does not own; it notes its life in that state.
struct Journal {
    QStringList events;
    TestSemaphore entered;
    TestSemaphore release;
};

class JournalService : public Service {
public:
    JournalService(Journal& journal, QString name) : m_journal(journal), m_name(std::move(name)) {
        addHandler(m_name + QStringLiteral("Echo"), this, &JournalService::echo);
        addHandler(m_name + QStringLiteral("Block"), this, &JournalService::block);
    }
    ~JournalService() override { m_journal.events << QStringLiteral("delete ") + m_name; }

    std::unique_ptr<ResponsePacket> echo(RequestPacket&) {
        return std::make_unique<ResponsePacket>(ResultCode::Ok, m_name);
    }
    std::unique_ptr<ResponsePacket> block(RequestPacket&) {
        m_journal.entered.release();
        m_journal.release.acquire();
        return std::make_unique<ResponsePacket>(ResultCode::Ok, m_name);
    }

private:
    Journal& m_journal;
    QString m_name;
};

std::unique_ptr<ServiceFactoryBase> journalService(Journal& journal, const QString& name) {
    return std::make_unique<ServiceFactoryFunction>(
        [&journal, name] { return std::make_unique<JournalService>(journal, name); });
}

} // namespace

TEST(CommandHost, ServicesBuiltOnStateAreRoutedAndStoppedInReverseOrder) {
    Journal journal;
    {
        CommandHost host;
        host.addService(QStringLiteral("B"), journalService(journal, QStringLiteral("B")));
        host.addService(QStringLiteral("A"), journalService(journal, QStringLiteral("A")));
        host.createServices();
        EXPECT_EQ(host.commands(), QStringList({"ABlock", "AEcho", "BBlock", "BEcho"}));
        std::unique_ptr<Packet> answer = host.route(QStringLiteral("BEcho"), QByteArray());
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->details(), QStringLiteral("B"));
        RequestPacket local(QStringLiteral("AEcho"));
        EXPECT_EQ(host.dispatchLocal(local)->details(), QStringLiteral("A"));
        ResponsePacket notARequest(ResultCode::Ok);
        EXPECT_EQ(host.dispatchLocal(notARequest), nullptr);
        EXPECT_EQ(host.route(QStringLiteral("Unknown"), QByteArray()), nullptr);
    }
    EXPECT_EQ(journal.events, QStringList({"delete A", "delete B"}))
        << "the host stops what is still running, last added first";
}

TEST(CommandHost, StoppingWaitsForTheRunningHandlerWhileNewRequestsArePaused) {
    Journal journal;
    CommandHost host;
    host.setDrainPollInterval(std::chrono::milliseconds(5));
    host.addService(QStringLiteral("S"), journalService(journal, QStringLiteral("S")));
    host.startService(QStringLiteral("S"));

    std::thread running([&] { host.route(QStringLiteral("SBlock"), QByteArray()); });
    journal.entered.acquire();
    std::thread stopping([&] { host.stopService(QStringLiteral("S")); });
    // Until the handler ends, the service is paused, not gone, and a request never waits.
    std::unique_ptr<Packet> paused;
    do {
        paused = host.route(QStringLiteral("SEcho"), QByteArray());
    } while (paused->result() == ResultCode::Ok);
    EXPECT_EQ(paused->result(), ResultCode::ServicePaused);
    EXPECT_EQ(paused->details(), QStringLiteral("Service paused"));
    EXPECT_TRUE(journal.events.isEmpty());

    journal.release.release();
    running.join();
    stopping.join();
    EXPECT_EQ(journal.events, QStringList({"delete S"}));
    EXPECT_FALSE(host.isServiceRunning(QStringLiteral("S")));
    EXPECT_EQ(host.route(QStringLiteral("SEcho"), QByteArray())->result(),
              ResultCode::ServicePaused)
        << "a stopped service keeps its commands";
}
