#pragma once

#include "VXNServiceFramework/packets/ResponsePacket.h"

#include <QList>
#include <QMap>

// The answer to "DMSGetDeviceList": per device its simple properties (name -> text) and its
// table properties (table -> rows of column -> text).
class CmdDMSGetDeviceListResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;
    using TableRow = QMap<QString, QString>;

    struct Device {
        int id = -1;
        QMap<QString, QString> properties;
        QMap<QString, QList<TableRow>> tables;
        bool operator==(const Device&) const = default;
    };

    QList<Device> devices;

    // A table's rows are written as elements named by the table without its last character.
    static QString rowElementName(const QString& table) { return table.chopped(1); }

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;
};
