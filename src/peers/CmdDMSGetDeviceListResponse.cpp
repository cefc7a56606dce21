#include "peers/CmdDMSGetDeviceListResponse.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomRead.h"

void CmdDMSGetDeviceListResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    devices.clear();
    dom::forEachChild(
        rootElement(),
        [&](const dom::Element* element) {
            Device device;
            bool ok = false;
            const int id = dom::attribute(element, QStringLiteral("ID")).toInt(&ok, 10);
            device.id = ok ? id : -1;
            dom::forEachChild(element, [&](const dom::Element* child) {
                const QString name = dom::name(child);
                const QString rowName = rowElementName(name);
                QList<TableRow> rows;
                if (!rowName.isEmpty()) {
                    dom::forEachChild(
                        child,
                        [&](const dom::Element* row) {
                            TableRow columns;
                            childPairs(row, columns);
                            rows.append(std::move(columns));
                        },
                        rowName);
                }
                if (rows.isEmpty())
                    device.properties.insert(name, textContent(child));
                else
                    device.tables.insert(name, std::move(rows));
            });
            devices.append(std::move(device));
        },
        QStringLiteral("Device"));
}

void CmdDMSGetDeviceListResponse::serialize(QByteArray& body) {
    buildDocument();
    for (const Device& device : devices) {
        auto* element = dom::appendElement(rootElement(), QStringLiteral("Device"));
        dom::setAttribute(element, QStringLiteral("ID"), QString::number(device.id));
        for (auto it = device.properties.cbegin(); it != device.properties.cend(); ++it)
            dom::appendTextElement(element, it.key(), it.value());
        for (auto it = device.tables.cbegin(); it != device.tables.cend(); ++it) {
            auto* table = dom::appendElement(element, it.key());
            const QString rowName = rowElementName(it.key());
            for (const TableRow& row : it.value()) {
                auto* rowElement = dom::appendElement(table, rowName);
                for (auto column = row.cbegin(); column != row.cend(); ++column)
                    dom::appendTextElement(rowElement, column.key(), column.value());
            }
        }
    }
    ResponsePacket::serialize(body);
}
