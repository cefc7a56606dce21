// The service's HTTP transport with a router that handles no command, so every request takes
// the unknown-command path and is answered with the empty envelope. Prints its port.
//   bench_http_server [PORT]

#include "VXNServiceFramework/dispatch/RequestRouter.h"
#include "VXNServiceFramework/http/Listener.h"
#include "VXNServiceFramework/packets/Packet.h"
#include "VXNServiceFramework/threads/ThreadGroup.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
class NoServiceRouter : public RequestRouter {
public:
    std::unique_ptr<Packet> route(const QString&, const QByteArray&) override { return nullptr; }
};
} // namespace

int main(int argc, char* argv[]) {
    // As the service's entry point does: Qt's own event dispatcher, which is cheaper to set up
    // on every connection thread than the GLib one, and nothing here integrates with GLib.
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    const quint16 port = argc > 1 ? static_cast<quint16>(QByteArray(argv[1]).toUInt()) : 0;
    NoServiceRouter router;
    ThreadGroup group;
    Listener listener(router, group, nullptr, port);
    if (!listener.isListening()) {
        std::fprintf(stderr, "cannot listen on port %u\n", port);
        return 1;
    }
    std::printf("%u\n", listener.serverPort());
    std::fflush(stdout);
    return QCoreApplication::exec();
}
