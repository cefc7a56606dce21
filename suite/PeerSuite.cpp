#include "PeerSuite.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

#include "Sqlite.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/http/ListenAddress.h"
#include "VXNServiceFramework/http/Listener.h"
#include "VXNServiceFramework/threads/ThreadGroup.h"

#include <QDir>

namespace {

// Creates a service bound to state of the suite.
template <class S, class State> std::unique_ptr<ServiceFactoryBase> serviceOn(State& state) {
    return std::make_unique<ServiceFactoryFunction>(
        [&state] { return std::make_unique<S>(state); });
}

} // namespace

PeerSuite::PeerSuite(Options options)
    : m_options(std::move(options)),
      m_engine(m_options.databasePath, m_options.busyTimeoutMs, m_options.scriptTimeLimit),
      m_directory(m_options.databasePath, m_options.busyTimeoutMs), m_uploads(m_options.htmlRoot),
      m_jobAccounting(m_options.databasePath, m_options.busyTimeoutMs) {
    m_host.addService(QStringLiteral("Naming"), serviceOn<NamingPeerService>(m_names));
    m_host.addService(QStringLiteral("Database"), serviceOn<DatabasePeerService>(m_engine));
    m_host.addService(QStringLiteral("DeviceManagement"),
                      serviceOn<DevicePeerService>(m_directory));
    m_host.addService(QStringLiteral("Web"), serviceOn<WebPeerService>(std::as_const(m_uploads)));
    m_host.addService(QStringLiteral("JobAccounting"),
                      serviceOn<JobAccountingPeerService>(m_jobAccounting));
    m_host.createServices();
}

PeerSuite::~PeerSuite() {
    // Connections end before the services they call into.
    m_listener.reset();
    m_group.reset();
}

bool PeerSuite::start() {
    m_engine.allowQueries();
    try {
        m_engine.prepareDatabase();
    } catch (const SqliteError& e) {
        VELM_ERR << "Cannot open the database " << m_options.databasePath << ": " << e.message();
        return false;
    }
    try {
        m_names.keepIn(m_options.databasePath, m_options.busyTimeoutMs);
    } catch (const SqliteError& e) {
        VELM_ERR << "Cannot keep the naming service's registrations in " << m_options.databasePath
                 << ": " << e.message();
        return false;
    }
    if (!QDir().mkpath(m_options.htmlRoot)) {
        VELM_ERR << "Cannot create the web directory " << m_options.htmlRoot;
        return false;
    }
    m_group = std::make_unique<ThreadGroup>();
    m_listener = std::make_unique<Listener>(m_host, *m_group, nullptr, m_options.port,
                                            ListenerLimits{}, m_options.address);
    if (!m_listener->isListening()) {
        VELM_ERR << "Error listening port: " << m_options.port;
        VELM_ERR << "The listener says: " << m_listener->errorString();
        return false;
    }
    VELM_INFO << "Listening incomming requests on port: " << port();

    // The suite is its own naming service: its commands are registered like any peer's.
    NSRegisterRequest registration;
    registration.URL = url();
    for (const QString& command : commands())
        registration.method.append(command);
    const auto answer = m_host.dispatchLocal(registration);
    const bool registered = answer && answer->result() == ResultCode::Ok;
    VELM_INFO << (registered ? "Registration successful" : "Registration failed");
    return registered;
}

void PeerSuite::stop(std::chrono::milliseconds drainPoll) {
    if (m_listener)
        m_listener->close();
    // A long statement would hold the drain below for as long as it runs.
    m_engine.stopQueries();
    m_host.setDrainPollInterval(drainPoll);
    m_host.stopServices();
    m_listener.reset();
    m_group.reset();
}

quint16 PeerSuite::port() const {
    return m_listener ? m_listener->serverPort() : 0;
}

QString PeerSuite::url() const {
    return QStringLiteral("http://%1:%2/")
        .arg(listenAddress::urlHost(m_options.address, QStringLiteral("127.0.0.1")))
        .arg(port());
}
