#pragma once

#include "VXNServiceFramework/packets/RequestPacket.h"

#include <QStringList>

// "DMSGetProperties": the names of the settings wanted from the device management service.
class CmdDMSGetPropertiesRequest : public RequestPacket {
public:
    static inline const QString commandName = QStringLiteral("DMSGetProperties");

    CmdDMSGetPropertiesRequest() : RequestPacket(commandName) {}

    QStringList propertyNames;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;
};
