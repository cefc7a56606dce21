#pragma once

#include <QList>
#include <QString>

// A device with the IP address text the device list answered for it.
struct DeviceAddress {
    QString deviceId;
    QString ip;
};

// Orders devices by address: unreadable or empty addresses first, then IPv4 numerically, then
// IPv6 by its 16 bytes. Devices with equal keys keep their order.
void sortByIp(QList<DeviceAddress>& devices);
