#pragma once

#include "peers/CmdDMSGetDeviceListRequest.h"
#include "peers/CmdDMSGetDeviceListResponse.h"

#include <QMap>
#include <QStringList>

// The device management service's view of the database: devices with their current property
// values, and the named settings (mail server and the like). Each call uses its own connection.
class DeviceDirectory {
public:
    using Device = CmdDMSGetDeviceListResponse::Device;

    explicit DeviceDirectory(QString path, int busyTimeoutMs = 15000);

    // Devices of the given groups and of the device filters (by id, or by property values when
    // the id is -1), all devices when there is no filter; with the named properties, or all
    // when none is named. Ids that are not numbers select nothing. Throws SqliteError.
    QList<Device> devices(const QStringList& groups,
                          const QList<CmdDMSGetDeviceListRequest::DeviceFilter>& filters,
                          const QStringList& propertyNames) const;

    // The named settings that exist (all of them when none is named). Throws SqliteError.
    QMap<QString, QString> settings(const QStringList& names) const;

private:
    QString m_path;
    int m_busyTimeoutMs;
};
