#include "PeerSuite.h"

#include "Sqlite.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/http/Listener.h"
#include "VXNServiceFramework/threads/ThreadGroup.h"

#include <QDir>

PeerSuite::PeerSuite(Options options)
    : m_options(std::move(options)), m_engine(m_options.databasePath, m_options.busyTimeoutMs),
      m_directory(m_options.databasePath, m_options.busyTimeoutMs), m_uploads(m_options.htmlRoot),
      m_naming(m_names), m_database(m_engine), m_devices(m_directory), m_web(m_uploads) {
    for (const char* command : {"NSRegisterService", "NSFindService", "VXNGetVersion"})
        m_commands.insert(QString::fromLatin1(command), &m_naming);
    m_commands.insert(CmdDBSProcessQueryRequest::commandName, &m_database);
    m_commands.insert(CmdDMSGetDeviceListRequest::commandName, &m_devices);
    m_commands.insert(CmdDMSGetPropertiesRequest::commandName, &m_devices);
    m_commands.insert(CmdWebUploadTemporaryFileRequest::commandName, &m_web);
}

PeerSuite::~PeerSuite() = default;

bool PeerSuite::start() {
    try {
        m_engine.prepareDatabase();
    } catch (const SqliteError& e) {
        VELM_ERR << "Cannot open the database " << m_options.databasePath << ": " << e.message();
        return false;
    }
    if (!QDir().mkpath(m_options.htmlRoot)) {
        VELM_ERR << "Cannot create the web directory " << m_options.htmlRoot;
        return false;
    }
    m_group = std::make_unique<ThreadGroup>();
    m_listener = std::make_unique<Listener>(*this, *m_group, nullptr, m_options.port);
    if (!m_listener->isListening()) {
        VELM_ERR << "Error listening port: " << m_options.port;
        return false;
    }
    VELM_INFO << "Listening incomming requests on port: " << port();

    // The suite is its own naming service: its commands are registered like any peer's.
    NSRegisterRequest registration;
    registration.URL = url();
    for (const QString& command : commands())
        registration.method.append(command);
    const auto answer = dispatchLocal(registration);
    const bool registered = answer && answer->result() == 0;
    VELM_INFO << (registered ? "Registration successful" : "Registration failed");
    return registered;
}

void PeerSuite::stop(std::chrono::milliseconds drainPoll) {
    if (m_listener)
        m_listener->close();
    for (Service* service : {static_cast<Service*>(&m_naming), static_cast<Service*>(&m_database),
                             static_cast<Service*>(&m_devices), static_cast<Service*>(&m_web)}) {
        service->setDrainPollInterval(drainPoll);
        service->pauseAndDrain();
    }
    m_listener.reset();
    m_group.reset();
}

quint16 PeerSuite::port() const {
    return m_listener ? m_listener->serverPort() : 0;
}

QString PeerSuite::url() const {
    return QStringLiteral("http://127.0.0.1:%1/").arg(port());
}

std::unique_ptr<Packet> PeerSuite::route(const QString& command, const QByteArray& body) {
    Service* service = serviceFor(command);
    return service ? service->dispatch(command, body) : nullptr;
}

std::unique_ptr<Packet> PeerSuite::dispatchLocal(Packet& request) {
    Service* service = serviceFor(request.command());
    return service ? service->dispatch(request) : nullptr;
}
