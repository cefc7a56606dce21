#include "VXNServiceFramework/app/Application.h"

#include "VXNServiceFramework/app/BackgroundRegistration.h"
#include "VXNServiceFramework/app/Configuration.h"
#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/client/ServiceClient.h"
#include "VXNServiceFramework/control/CmdVXNGetVersionResponse.h"
#include "VXNServiceFramework/control/ManagementService.h"
#include "VXNServiceFramework/dom/XercesRuntime.h"
#include "VXNServiceFramework/http/ListenAddress.h"
#include "VXNServiceFramework/threads/ThreadGroup.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdlib>

namespace {

// Where peers can call this process back: plain HTTP (what the listener speaks), a host, and a
// port that can be listened on (none given: 80).
bool isServiceUrl(const QUrl& url) {
    const int port = url.port(80);
    return url.isValid() && url.scheme() == QLatin1String("http") && !url.host().isEmpty() &&
           port >= 1 && port <= 65535;
}

std::atomic<Application*> g_application{nullptr};

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
    ServiceClient::instance().setLocalDispatcher(&m_host);
}

Application::~Application() {
    // Ended by MGMTCloseApplication or a failed start while still registering.
    m_registrationWatch.reset();
    m_registration.reset();
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
    m_host.stopServices();
    g_application.store(nullptr);
}

Application* Application::instance() {
    return g_application.load();
}

void Application::addService(const QString& name, std::unique_ptr<ServiceFactoryBase> factory) {
    m_host.addService(name, std::move(factory));
}

void Application::startService(const QString& name) {
    m_host.startService(name);
}

void Application::stopService(const QString& name) {
    m_host.stopService(name);
}

QStringList Application::commands() const {
    return m_host.commands();
}

QStringList Application::serviceNames() const {
    return m_host.serviceNames();
}

bool Application::isServiceRunning(const QString& name) const {
    return m_host.isServiceRunning(name);
}

QUrl Application::ownUrl() const {
    QMutexLocker lock(&m_urlLock);
    return m_ownUrl;
}

void Application::setListenerLimits(const ListenerLimits& limits) {
    m_listenerLimits = limits;
}

bool Application::openListener() {
    // A configured URL was checked when read: http, with a port that can be listened on.
    const QUrl configured = ownUrl();
    if (configured.isValid()) {
        const int port = configured.port(80);
        m_listener =
            std::make_unique<Listener>(m_host, *m_connections, nullptr, static_cast<quint16>(port),
                                       m_listenerLimits, m_listenAddress);
        if (!m_listener->isListening()) {
            VELM_ERR << "Error listening port: " << port;
            VELM_ERR << "The listener says: " << m_listener->errorString();
            return false;
        }
        VELM_INFO << "Listening incomming requests on port: " << port;
        return true;
    }
    m_listener = std::make_unique<Listener>(m_host, *m_connections, nullptr, 0, m_listenerLimits,
                                            m_listenAddress);
    if (!m_listener->isListening()) {
        VELM_ERR << "Error listening automatically bound port";
        VELM_ERR << "The listener says: " << m_listener->errorString();
        return false;
    }
    const int port = m_listener->serverPort();
    VELM_INFO << "Listening incomming requests on port: " << port;
    QMutexLocker lock(&m_urlLock);
    m_ownUrl = QUrl(QStringLiteral("http://%1:%2/")
                        .arg(listenAddress::urlHost(m_listenAddress, QStringLiteral("localhost")))
                        .arg(port));
    return true;
}

void Application::start() {
    VELM_INFO << "VELM Application started: " << serviceName();
    if (QCoreApplication::instance()) {
        QDir::setCurrent(QCoreApplication::applicationDirPath());
    }
    xercesRuntime::ensureInitialized();

    m_host.createServices();

    Configuration config;
    if (!m_configFileName.isEmpty()) {
        config = Configuration::load(m_configFileName);
        if (!config.error.isEmpty()) {
            // Going on as without a file: automatic port, no registration.
            VELM_ERR << config.error;
        }
    }
    if (!config.serviceUrl.isEmpty()) {
        const QUrl url(config.serviceUrl);
        if (!isServiceUrl(url)) {
            // Another port would go to the naming service as ours, taking the commands from an
            // instance that listens where peers are told to call.
            VELM_ERR << "ServiceURL is no http URL with a host and a port from 1 to 65535: "
                     << config.serviceUrl;
            quitApplication(1);
            return;
        }
        QMutexLocker lock(&m_urlLock);
        m_ownUrl = url;
    }
    if (!config.listenAddress.isEmpty()) {
        const auto address = listenAddress::fromText(config.listenAddress);
        if (!address) {
            // Listening everywhere instead would open what the setting means to close.
            VELM_ERR << "ListenAddress is no address: " << config.listenAddress;
            quitApplication(1);
            return;
        }
        m_listenAddress = *address;
        VELM_INFO << "Listening only on address: " << m_listenAddress.toString();
    }

    // Known before the listener opens: a request served at once may already need a peer.
    const QUrl dispatcher(config.dispatcherUrl);
    const bool naming = !config.dispatcherUrl.isEmpty() && dispatcher.isValid();
    if (naming) {
        ServiceClient::instance().setNamingServiceUrl(dispatcher);
    }

    if (!openListener()) {
        // Ending with a failure code lets the service manager and scripts see it.
        quitApplication(1);
        return;
    }

    if (!naming) {
        startServices();
        return;
    }
    // The naming service answers VXNGetVersion itself; registering ours would send its callers
    // here.
    QStringList registered = commands();
    registered.removeAll(vxnGetVersionCommand);
    // Its outcome is only logged; the services start, on this thread, once it is known.
    m_registration = std::make_unique<BackgroundRegistration>(dispatcher, ownUrl(), registered);
    m_registrationWatch = std::make_unique<QTimer>();
    m_registrationWatch->setInterval(registrationWatchInterval);
    QObject::connect(m_registrationWatch.get(), &QTimer::timeout, m_registrationWatch.get(),
                     [this] {
                         if (m_registration->isDone()) {
                             m_registrationWatch->stop();
                             startServices();
                         }
                     });
    m_registrationWatch->start();
}

void Application::startServices() {
    if (m_stopping) {
        return;
    }
    for (const QString& name : serviceNames()) {
        startService(name);
    }
}

void Application::stop() {
    m_stopping = true;
    // Returns at once: the retry pauses and the wait for the naming service's answer end.
    m_registrationWatch.reset();
    m_registration.reset();
    const QStringList order = serviceNames();
    for (auto it = order.crbegin(); it != order.crend(); ++it) {
        stopService(*it);
        QCoreApplication::processEvents(QEventLoop::AllEvents,
                                        static_cast<int>(stopEventTime.count()));
    }
    VELM_INFO << "VELM Application stopped: " << serviceName();
}
