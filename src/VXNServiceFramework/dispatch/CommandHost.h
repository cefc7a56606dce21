#pragma once

#include "VXNServiceFramework/dispatch/LocalDispatcher.h"
#include "VXNServiceFramework/dispatch/RequestRouter.h"
#include "VXNServiceFramework/dispatch/ServiceFactory.h"

#include <QMap>
#include <QMutex>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

// A service of a process: how to create it, and the running instance (null while stopped).
struct ServiceStatusInfo {
    std::unique_ptr<ServiceFactoryBase> factory;
    std::shared_ptr<Service> instance;
};

// The services of one process and the command map that routes each command to the service that
// registered it, for requests from the HTTP transport and from callers in the process.
//
// A stopped service keeps its commands mapped: they answer 5 "Service paused" and the deleted
// instance is never touched. Routing never waits for a service being started or drained.
// Safe to use from any number of threads.
class CommandHost : public RequestRouter, public LocalDispatcher {
public:
    CommandHost();
    ~CommandHost() override;
    CommandHost(const CommandHost&) = delete;
    CommandHost& operator=(const CommandHost&) = delete;

    // Adds (or replaces) the service `name`; services are created in the order first added.
    void addService(const QString& name, std::unique_ptr<ServiceFactoryBase> factory);
    // Creates every service that does not exist yet, in order, and maps their commands.
    void createServices();
    // Creates the service if it does not exist, then calls its onStart().
    void startService(const QString& name);
    // Drains and deletes the service.
    void stopService(const QString& name);
    // Stops every service, in reverse order.
    void stopServices();

    std::unique_ptr<Packet> route(const QString& command, const QByteArray& body) override;
    std::unique_ptr<Packet> dispatchLocal(Packet& request) override;

    // The command map's names, in name order.
    QStringList commands() const;
    // The services in the order they were first added.
    QStringList serviceNames() const;
    bool isServiceRunning(const QString& name) const;

    // How often stopping a service looks whether its handlers have finished (the service's own
    // default unless set).
    void setDrainPollInterval(std::chrono::milliseconds interval);

private:
    std::shared_ptr<ServiceStatusInfo> lookUp(const QString& command,
                                              std::shared_ptr<Service>& instance) const;
    void createServiceLocked(ServiceStatusInfo& record);
    void rebuildCommandMapLocked();
    template <class Dispatch>
    std::unique_ptr<Packet> dispatchTo(const QString& command, Dispatch&& dispatch);

    QMap<QString, std::shared_ptr<ServiceStatusInfo>> m_services;
    QMap<QString, std::shared_ptr<ServiceStatusInfo>> m_commandMap;
    QStringList m_serviceList;
    std::optional<std::chrono::milliseconds> m_drainPollInterval;
    // Guards the records, the list and the poll interval; held through a whole start or stop
    // of a service, drain included.
    mutable QMutex m_lock;
    // Held only to read or change the command map and the instance pointers, so that routing a
    // request never waits for a service being drained.
    mutable QMutex m_routeLock;
};
