#pragma once

#include "VXNServiceFramework/packets/RequestPacket.h"

#include <QList>
#include <QPair>
#include <QStringList>

// "DMSGetDeviceList": which devices (by group or by device filter), whether the service must
// refresh them first, and which properties to answer.
class CmdDMSGetDeviceListRequest : public RequestPacket {
public:
    static inline const QString commandName = QStringLiteral("DMSGetDeviceList");

    struct DeviceFilter {
        int id = -1; // -1: no id, the pairs alone select
        QList<QPair<QString, QString>> pairs;
        bool operator==(const DeviceFilter&) const = default;
    };

    CmdDMSGetDeviceListRequest() : RequestPacket(commandName) {}

    QStringList groups;
    QList<DeviceFilter> devices;
    bool forceUpToDate = false;
    QStringList propertyNames;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;
};
