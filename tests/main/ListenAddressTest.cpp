// The listen address of velm-report (ListenAddress in VELMReport.cfg) and of velm-peers
// (--listen): bound where asked, and nowhere else.
#include "ReportProcess.h"

#include "support/ChildProcess.h"
#include "support/CoreApplication.h"
#include "support/ScriptedHttpPeer.h"

#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Whether a connection to address:port is taken; loopback answers at once either way.
bool accepts(const QString& address, int port) {
    QTcpSocket socket;
    socket.connectToHost(address, static_cast<quint16>(port));
    return socket.waitForConnected(5000);
}

class ListenAddressTest : public ::testing::Test {
protected:
    void SetUp() override { ensureCoreApplication(); }
};

TEST_F(ListenAddressTest, TheServiceListensOnlyOnTheConfiguredAddressAndRegistersIt) {
    ScriptedHttpPeer naming;
    naming.enqueue(ScriptedHttpPeer::ok("<VXNResponse><Result>0</Result></VXNResponse>"));
    for (const char* address : {"127.0.0.2", "127.0.0.1"}) {
        ReportProcess process;
        process.writeConfig(("<VELMReport><ListenAddress>" + QString::fromLatin1(address) +
                             "</ListenAddress><DispatcherURL>" + naming.url().toString() +
                             "</DispatcherURL></VELMReport>")
                                .toUtf8());
        process.start({QStringLiteral("-e")});
        const int port = process.waitForListening();
        ASSERT_NE(port, 0) << process.standardOutput().constData();
        const QString other =
            QLatin1String(address) == QLatin1String("127.0.0.1") ? "127.0.0.2" : "127.0.0.1";
        EXPECT_TRUE(accepts(QString::fromLatin1(address), port)) << address;
        EXPECT_FALSE(accepts(other, port)) << other.toStdString();
        if (QLatin1String(address) == QLatin1String("127.0.0.2")) {
            // Peers are told the address that reaches it, not localhost.
            ASSERT_TRUE(naming.waitForRequests(1));
            EXPECT_TRUE(naming.requests()[0].body.contains(
                QStringLiteral("http://127.0.0.2:%1/").arg(port).toUtf8()))
                << naming.requests()[0].body.constData();
        }
    }
}

TEST_F(ListenAddressTest, AnAddressThatIsNoneStopsTheServiceInsteadOfListeningEverywhere) {
    ReportProcess process;
    process.writeConfig("<VELMReport><ListenAddress>printers.example</ListenAddress></VELMReport>");
    ASSERT_TRUE(process.run({QStringLiteral("-e")}));
    EXPECT_NE(process.exitCode(), 0);
    const QByteArray output = process.standardOutput();
    EXPECT_TRUE(output.contains("ListenAddress is no address: printers.example")) << output.data();
    EXPECT_FALSE(output.contains("Listening incomming requests"));
}

// A ServiceURL that cannot be listened on or called back stops the service: on another port it
// would register itself with the naming service under a URL nobody configured.
TEST_F(ListenAddressTest, AServiceUrlThatIsNoneStopsTheServiceInsteadOfListeningElsewhere) {
    ScriptedHttpPeer naming;
    for (const char* url : {"http://127.0.0.1:99999/", "http://127.0.0.1:-5/", "not a url",
                            "https://127.0.0.1:8480/", "http://:8480/"}) {
        ReportProcess process;
        process.writeConfig(("<VELMReport><ServiceURL>" + QString::fromLatin1(url) +
                             "</ServiceURL><DispatcherURL>" + naming.url().toString() +
                             "</DispatcherURL></VELMReport>")
                                .toUtf8());
        ASSERT_TRUE(process.run({QStringLiteral("-e")})) << url;
        EXPECT_NE(process.exitCode(), 0) << url;
        const QByteArray output = process.standardOutput();
        EXPECT_TRUE(output.contains("ServiceURL is no http URL")) << output.data();
        EXPECT_FALSE(output.contains("Listening incomming requests")) << output.data();
    }
    EXPECT_FALSE(naming.waitForRequests(1, 200));
}

TEST_F(ListenAddressTest, ThePeersListenWhereAsked) {
    QTemporaryDir dir;
    ChildProcess peers;
    ASSERT_TRUE(peers.start(QStringLiteral("velm-peers"),
                            {"--port", "0", "--listen", "127.0.0.2", "--db",
                             dir.filePath("fleet.db"), "--html", dir.filePath("html")}))
        << peers.output().toStdString();
    EXPECT_TRUE(accepts(QStringLiteral("127.0.0.2"), peers.port()));
    EXPECT_FALSE(accepts(QStringLiteral("127.0.0.1"), peers.port()));

    ChildProcess wrong;
    EXPECT_FALSE(wrong.start(QStringLiteral("velm-peers"),
                             {"--port", "0", "--listen", "everywhere", "--db",
                              dir.filePath("fleet.db"), "--html", dir.filePath("html")}));
    EXPECT_TRUE(wrong.output().contains("--listen takes a local IP address"));
}

} // namespace
