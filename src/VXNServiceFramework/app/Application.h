#pragma once

#include "VXNServiceFramework/control/ServiceWrapper.h"
#include "VXNServiceFramework/dispatch/CommandHost.h"
#include "VXNServiceFramework/http/Listener.h"

#include <QCoreApplication>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <memory>

class BackgroundRegistration;
class QTimer;
class ThreadGroup;

// The process: owns the services, the command map that routes commands to them, the HTTP
// listener and the registration with the naming service. At most one per process.
//
// Start (by the service wrapper): creates every service in the order added, reads the
// configuration file (beside the executable), listens on the configured or an automatic port,
// registers every command with the naming service, starts the services. The registration runs
// beside the event loop and the services start from the loop when it ends, so that a stop during
// its retries is heard at once. Stop (the manager's stop control, SIGTERM, or SIGINT in a console
// run): ends a registration still running, drains and deletes the services in reverse order.
class Application : public ServiceWrapper<QCoreApplication>, public QObject {
public:
    static constexpr std::chrono::milliseconds stopEventTime{1500};
    // How long connections still running when the process ends may take to finish.
    static constexpr std::chrono::milliseconds connectionGrace{5000};
    // How often the main thread looks whether the registration with the naming service ended.
    static constexpr std::chrono::milliseconds registrationWatchInterval{50};

    Application(int& argc, char** argv, const QString& serviceName, const QString& configFileName);
    ~Application() override;

    static Application* instance();

    // Adds (or replaces) the service `name`; services start in the order first added.
    void addService(const QString& name, std::unique_ptr<ServiceFactoryBase> factory);
    // Creates the service if it does not exist, then calls its onStart().
    void startService(const QString& name);
    // Drains and deletes the service; its commands then answer 5 "Service paused".
    void stopService(const QString& name);

    // The services and the command map: the listener and the service client route through it.
    CommandHost& host() { return m_host; }

    // The command map's names, in name order.
    QStringList commands() const;
    QStringList serviceNames() const;
    bool isServiceRunning(const QString& name) const;
    // The URL this process's services are reached under; invalid until start.
    QUrl ownUrl() const;

    // The start and stop sequences; the wrapper calls them, tests may too (with a core
    // application of their own).
    void start() override;
    void stop() override;

    // For tests: shorter limits for the connections served.
    void setListenerLimits(const ListenerLimits& limits);

private:
    bool openListener();
    // The last step of start; nothing once a stop has begun.
    void startServices();

    CommandHost m_host;
    QUrl m_ownUrl;
    mutable QMutex m_urlLock; // guards m_ownUrl
    QString m_configFileName;
    // ListenAddress of the configuration; every IPv4 address when it has none.
    QHostAddress m_listenAddress{QHostAddress::AnyIPv4};
    ListenerLimits m_listenerLimits;
    std::unique_ptr<ThreadGroup> m_connections;
    std::unique_ptr<Listener> m_listener;
    std::unique_ptr<BackgroundRegistration> m_registration;
    // Looks, on the main thread, whether the registration has ended.
    std::unique_ptr<QTimer> m_registrationWatch;
    bool m_stopping = false; // main thread only
};
