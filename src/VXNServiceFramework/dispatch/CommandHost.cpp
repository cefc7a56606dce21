#include "VXNServiceFramework/dispatch/CommandHost.h"

#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/ResultCodes.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <QThread>

CommandHost::CommandHost() = default;

CommandHost::~CommandHost() {
    stopServices();
}

void CommandHost::addService(const QString& name, std::unique_ptr<ServiceFactoryBase> factory) {
    auto record = std::make_shared<ServiceStatusInfo>();
    record->factory = std::move(factory);
    QMutexLocker lock(&m_lock);
    m_services.insert(name, std::move(record));
    // Replacing a service keeps its place in the order; listing it twice would start it twice.
    if (!m_serviceList.contains(name)) {
        m_serviceList.append(name);
    }
}

void CommandHost::createServiceLocked(ServiceStatusInfo& record) {
    if (record.instance) {
        return;
    }
    std::shared_ptr<Service> created = record.factory->create();
    QMutexLocker routeLock(&m_routeLock);
    record.instance = std::move(created);
}

void CommandHost::createServices() {
    QMutexLocker lock(&m_lock);
    for (const QString& name : std::as_const(m_serviceList)) {
        createServiceLocked(*m_services.value(name));
    }
    rebuildCommandMapLocked();
}

void CommandHost::startService(const QString& name) {
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

void CommandHost::stopService(const QString& name) {
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
    if (m_drainPollInterval) {
        instance->setDrainPollInterval(*m_drainPollInterval);
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

void CommandHost::stopServices() {
    const QStringList order = serviceNames();
    for (auto it = order.crbegin(); it != order.crend(); ++it) {
        stopService(*it);
    }
}

void CommandHost::rebuildCommandMapLocked() {
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

std::shared_ptr<ServiceStatusInfo> CommandHost::lookUp(const QString& command,
                                                       std::shared_ptr<Service>& instance) const {
    QMutexLocker routeLock(&m_routeLock);
    std::shared_ptr<ServiceStatusInfo> record = m_commandMap.value(command);
    if (record) {
        instance = record->instance;
    }
    return record;
}

template <class Dispatch>
std::unique_ptr<Packet> CommandHost::dispatchTo(const QString& command, Dispatch&& dispatch) {
    std::shared_ptr<Service> instance;
    if (!lookUp(command, instance)) {
        return nullptr;
    }
    if (!instance) {
        return std::make_unique<ResponsePacket>(ResultCode::ServicePaused,
                                                ResultText::servicePaused);
    }
    return dispatch(*instance);
}

std::unique_ptr<Packet> CommandHost::route(const QString& command, const QByteArray& body) {
    return dispatchTo(command, [&](Service& service) { return service.dispatch(command, body); });
}

std::unique_ptr<Packet> CommandHost::dispatchLocal(Packet& request) {
    QString command;
    try {
        command = request.command();
    } catch (const WrongPacketFormat&) {
        return nullptr; // not a request: no service of ours handles it
    }
    return dispatchTo(command, [&](Service& service) { return service.dispatch(request); });
}

QStringList CommandHost::commands() const {
    QMutexLocker routeLock(&m_routeLock);
    return m_commandMap.keys();
}

QStringList CommandHost::serviceNames() const {
    QMutexLocker lock(&m_lock);
    return m_serviceList;
}

bool CommandHost::isServiceRunning(const QString& name) const {
    QMutexLocker lock(&m_lock);
    const std::shared_ptr<ServiceStatusInfo> record = m_services.value(name);
    QMutexLocker routeLock(&m_routeLock);
    return record && record->instance;
}

void CommandHost::setDrainPollInterval(std::chrono::milliseconds interval) {
    QMutexLocker lock(&m_lock);
    m_drainPollInterval = interval;
}
