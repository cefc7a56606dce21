#include "support/ScriptedDeviceManagement.h"

#include "support/ScriptedPeers.h"

#include "peers/CmdDMSGetDeviceListRequest.h"
#include "peers/CmdDMSGetPropertiesRequest.h"
#include "peers/CmdDMSGetPropertiesResponse.h"

ScriptedDeviceManagement::ScriptedDeviceManagement(ScriptedPeers& peers) {
    peers.answer<CmdDMSGetDeviceListRequest>(
        [this](const CmdDMSGetDeviceListRequest& request) -> std::unique_ptr<Packet> {
            QList<int> ids;
            for (const auto& filter : request.devices)
                if (filter.id != -1)
                    ids.append(filter.id);
            auto response = std::make_unique<CmdDMSGetDeviceListResponse>();
            std::lock_guard<std::mutex> lock(m_mutex);
            for (Device device : m_devices) {
                if (!ids.isEmpty() && !ids.contains(device.id))
                    continue;
                if (!request.propertyNames.isEmpty()) {
                    for (auto it = device.properties.begin(); it != device.properties.end();)
                        it = request.propertyNames.contains(it.key()) ? std::next(it)
                                                                      : device.properties.erase(it);
                }
                response->devices.append(std::move(device));
            }
            return response;
        });
    peers.answer<CmdDMSGetPropertiesRequest>(
        [this](const CmdDMSGetPropertiesRequest& request) -> std::unique_ptr<Packet> {
            auto response = std::make_unique<CmdDMSGetPropertiesResponse>();
            std::lock_guard<std::mutex> lock(m_mutex);
            for (const QString& name : request.propertyNames)
                if (const auto it = m_properties.constFind(name); it != m_properties.cend())
                    response->properties.insert(name, *it);
            return response;
        });
}

void ScriptedDeviceManagement::setDevices(QList<Device> devices) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_devices = std::move(devices);
}

void ScriptedDeviceManagement::setProperties(QMap<QString, QString> properties) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_properties = std::move(properties);
}
