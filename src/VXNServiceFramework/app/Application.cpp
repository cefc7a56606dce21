#include "VXNServiceFramework/app/Application.h"

#include "VXNServiceFramework/app/Configuration.h"
#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/client/ServiceClient.h"
#include "VXNServiceFramework/control/ManagementService.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"
#include "VXNServiceFramework/dom/XercesRuntime.h"
#include "VXNServiceFramework/threads/ThreadGroup.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<Application*> g_application{nullptr};

std::unique_ptr<Packet> servicePaused() {
    return std::make_unique<ResponsePacket>(5, QStringLiteral("Service paused"));
}

} // namespace

Application::Application(int& argc, char** argv, const QString& serviceName,
                         const QString& configFileName)
    : ServiceWrapper<QCoreApplication>(argc, argv, serviceName), m_configFileName(configFileName) {
    Log::install();
    Application* none = nullptr;
    if (!g_application.compare_exchange_strong(none, this)) {
        VELM_ERR << "Only single instance of Application object allowed.";
        std::exit(-1);
    }
    addService(QStringLiteral("MGMT"), std::make_unique<ServiceFactory<ManagementService>>());
    m_connections = std::make_unique<ThreadGroup>();
    ServiceClient::instance().setLocalDispatcher(this);
}

Application::~Application() {
    // No new connections; the running ones get a moment to deliver their answers (the answer
    // to MGMTCloseApplication among them) before the group stops and waits for them; then
    // in-process callers are turned away before the services go.
    if (m_listener) {
        m_listener->close();
        const QDeadlineTimer grace(connectionGrace);
        while (m_listener->activeConnections() > 0 && !grace.hasExpired()) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
    }
    m_listener.reset();
    m_connections.reset();
    ServiceClient::instance().setLocalDispatcher(nullptr);
    // Services still there when the event loop ended without the stop sequence
    // (MGMTCloseApplication, a failed start) are drained and deleted here.
    for (auto it = m_serviceList.crbegin(); it != m_serviceList.crend(); ++it) {
        stopService(*it);
    }
    g_application.store(nullptr);
}

Application* Application::instance() {
    return g_application.load();
}

void Application::addService(const QString& name, std::unique_ptr<ServiceFactoryBase> factory) {
    auto record = std::make_shared<ServiceStatusInfo>();
    record->factory = std::move(factory);
    QMutexLocker lock(&m_lock);
    m_services.insert(name, std::move(record));
    // Replacing a service keeps its place in the order; listing it twice would start it twice.
    if (!m_serviceList.contains(name)) {
        m_serviceList.append(name);
    }
}

void Application::createServiceLocked(ServiceStatusInfo& record) {
    if (record.instance) {
        return;
    }
    std::shared_ptr<Service> created = record.factory->create();
    QMutexLocker routeLock(&m_routeLock);
    record.instance = std::move(created);
}

void Application::startService(const QString& name) {
    std::shared_ptr<Service> instance;
    {
        QMutexLocker lock(&m_lock);
        const std::shared_ptr<ServiceStatusInfo> record = m_services.value(name);
        if (!record) {
            return;
        }
        createServiceLocked(*record);
        rebuildCommandMapLocked();
        QMutexLocker routeLock(&m_routeLock);
        instance = record->instance;
    }
    instance->onStart();
}

void Application::stopService(const QString& name) {
    QMutexLocker lock(&m_lock);
    const std::shared_ptr<ServiceStatusInfo> record = m_services.value(name);
    std::shared_ptr<Service> instance;
    {
        QMutexLocker routeLock(&m_routeLock);
        if (!record || !record->instance) {
            return;
        }
        instance = record->instance;
    }
    instance->pauseAndDrain();
    {
        QMutexLocker routeLock(&m_routeLock);
        record->instance.reset();
    }
    // A request that took the instance just before it was drained has been answered "Service
    // paused" by it and lets go at once; the service is deleted here, not on that thread.
    while (instance.use_count() > 1) {
        QThread::msleep(1);
    }
    instance.reset();
    rebuildCommandMapLocked();
}

void Application::rebuildCommandMapLocked() {
    QMutexLocker routeLock(&m_routeLock);
    // Entries are only added or overwritten: the later service name wins a shared command, and
    // the commands of a stopped service stay mapped to its record.
    for (const std::shared_ptr<ServiceStatusInfo>& record : std::as_const(m_services)) {
        if (!record->instance) {
            continue;
        }
        for (const QString& command : record->instance->commands()) {
            m_commandMap.insert(command, record);
        }
    }
}

std::shared_ptr<ServiceStatusInfo> Application::lookUp(const QString& command,
                                                       std::shared_ptr<Service>& instance) const {
    QMutexLocker routeLock(&m_routeLock);
    std::shared_ptr<ServiceStatusInfo> record = m_commandMap.value(command);
    if (record) {
        instance = record->instance;
    }
    return record;
}

std::unique_ptr<Packet> Application::route(const QString& command, const QByteArray& body) {
    std::shared_ptr<Service> instance;
    if (!lookUp(command, instance)) {
        return nullptr;
    }
    if (!instance) {
        return servicePaused();
    }
    return instance->dispatch(command, body);
}

std::unique_ptr<Packet> Application::dispatchLocal(Packet& request) {
    QString command;
    try {
        command = request.command();
    } catch (const WrongPacketFormat&) {
        return nullptr; // not a request: no service of ours handles it
    }
    std::shared_ptr<Service> instance;
    if (!lookUp(command, instance)) {
        return nullptr;
    }
    if (!instance) {
        return servicePaused();
    }
    return instance->dispatch(request);
}

QStringList Application::commands() const {
    QMutexLocker routeLock(&m_routeLock);
    return m_commandMap.keys();
}

QStringList Application::serviceNames() const {
    QMutexLocker lock(&m_lock);
    return m_serviceList;
}

bool Application::isServiceRunning(const QString& name) const {
    QMutexLocker lock(&m_lock);
    const std::shared_ptr<ServiceStatusInfo> record = m_services.value(name);
    QMutexLocker routeLock(&m_routeLock);
    return record && record->instance;
}

QUrl Application::ownUrl() const {
    QMutexLocker lock(&m_lock);
    return m_ownUrl;
}

void Application::setListenerLimits(const ListenerLimits& limits) {
    m_listenerLimits = limits;
}

bool Application::openListener() {
    const QUrl configured = ownUrl();
    if (configured.isValid()) {
        const int port = configured.port(80);
        m_listener = std::make_unique<Listener>(*this, *m_connections, nullptr,
                                                static_cast<quint16>(port), m_listenerLimits);
        if (port < 0 || port > 65535 || !m_listener->isListening()) {
            VELM_ERR << "Error listening port: " << port;
            return false;
        }
        VELM_INFO << "Listening incomming requests on port: " << port;
        return true;
    }
    m_listener = std::make_unique<Listener>(*this, *m_connections, nullptr, 0, m_listenerLimits);
    if (!m_listener->isListening()) {
        VELM_ERR << "Error listening automatically bound port";
        return false;
    }
    const int port = m_listener->serverPort();
    VELM_INFO << "Listening incomming requests on port: " << port;
    QMutexLocker lock(&m_lock);
    m_ownUrl = QUrl(QStringLiteral("http://localhost:%1/").arg(port));
    return true;
}

void Application::start() {
    VELM_INFO << "VELM Application started: " << serviceName();
    if (QCoreApplication::instance()) {
        QDir::setCurrent(QCoreApplication::applicationDirPath());
    }
    xercesRuntime::ensureInitialized();

    QStringList order;
    {
        QMutexLocker lock(&m_lock);
        for (const QString& name : std::as_const(m_serviceList)) {
            createServiceLocked(*m_services.value(name));
        }
        rebuildCommandMapLocked();
        order = m_serviceList;
    }

    Configuration config;
    if (!m_configFileName.isEmpty()) {
        config = Configuration::load(m_configFileName);
        if (!config.error.isEmpty()) {
            // Going on as without a file: automatic port, no registration.
            VELM_ERR << config.error;
        }
    }
    if (!config.serviceUrl.isEmpty()) {
        QMutexLocker lock(&m_lock);
        m_ownUrl = QUrl(config.serviceUrl);
    }

    if (!openListener()) {
        // Ending with a failure code lets the service manager and scripts see it.
        quitApplication(1);
        return;
    }

    const QUrl dispatcher(config.dispatcherUrl);
    if (!config.dispatcherUrl.isEmpty() && dispatcher.isValid()) {
        ServiceClient& client = ServiceClient::instance();
        client.setNamingServiceUrl(dispatcher);
        client.registerService(ownUrl(), commands());
    }

    for (const QString& name : std::as_const(order)) {
        startService(name);
    }
}

void Application::stop() {
    const QStringList order = serviceNames();
    for (auto it = order.crbegin(); it != order.crend(); ++it) {
        stopService(*it);
        QCoreApplication::processEvents(QEventLoop::AllEvents,
                                        static_cast<int>(stopEventTime.count()));
    }
    VELM_INFO << "VELM Application stopped: " << serviceName();
}
