#pragma once

#include "VXNServiceFramework/packets/ResponsePacket.h"

#include <QMap>

// The answer to "DMSGetProperties": property name -> value; a name left out reads as empty.
class CmdDMSGetPropertiesResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    QMap<QString, QString> properties;
    QString property(const QString& name) const { return properties.value(name); }

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;
};
