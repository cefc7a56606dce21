#pragma once

#include "peers/CmdDMSGetDeviceListResponse.h"

#include <QMap>
#include <mutex>

class ScriptedPeers;

// The device management peer on a ScriptedPeers: "DMSGetDeviceList" answers the devices the
// request's filter names by id (every device without an id filter), with the simple properties
// it asks for (all when it names none) and every table; "DMSGetProperties" answers the named
// settings it knows and leaves the others out.
class ScriptedDeviceManagement {
public:
    using Device = CmdDMSGetDeviceListResponse::Device;

    explicit ScriptedDeviceManagement(ScriptedPeers& peers);

    void setDevices(QList<Device> devices);
    void setProperties(QMap<QString, QString> properties);

private:
    mutable std::mutex m_mutex;
    QList<Device> m_devices;
    QMap<QString, QString> m_properties;
};
