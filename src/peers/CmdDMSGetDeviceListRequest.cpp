#include "peers/CmdDMSGetDeviceListRequest.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomRead.h"

void CmdDMSGetDeviceListRequest::parse(const QByteArray& body) {
    parseReadable(body);
    groups.clear();
    devices.clear();
    propertyNames.clear();
    forceUpToDate = false;
    const auto* root = rootElement();
    const QString id = QStringLiteral("ID");

    if (const auto* filter = dom::onlyDescendant(root, QStringLiteral("Filter"))) {
        dom::forEachDescendant(filter, QStringLiteral("Group"), [&](const dom::Element* group) {
            groups.append(dom::attribute(group, id));
        });
        dom::forEachChild(
            filter,
            [&](const dom::Element* device) {
                DeviceFilter f;
                bool present = false;
                const QString text = dom::attribute(device, id, &present);
                bool ok = false;
                const int value = text.toInt(&ok, 10);
                f.id = present && ok ? value : -1;
                StringPairs pairs;
                childPairs(device, pairs);
                f.pairs = pairs;
                devices.append(std::move(f));
            },
            QStringLiteral("Device"));
    }
    forceUpToDate = dom::countDescendants(root, QStringLiteral("ForceUpToDate")) == 1;
    if (const auto* list = dom::onlyDescendant(root, QStringLiteral("PropertyList"))) {
        int count = 0;
        const dom::Element* device = nullptr;
        dom::forEachChild(
            list,
            [&](const dom::Element* e) {
                device = e;
                ++count;
            },
            QStringLiteral("Device"));
        if (count == 1)
            dom::forEachChild(device,
                              [&](const dom::Element* e) { propertyNames.append(dom::name(e)); });
    }
}

void CmdDMSGetDeviceListRequest::serialize(QByteArray& body) {
    buildDocument();
    auto* root = rootElement();
    if (!groups.isEmpty() || !devices.isEmpty()) {
        auto* filter = dom::appendElement(root, QStringLiteral("Filter"));
        // The service takes one group per request: only the first one is written.
        if (!groups.isEmpty())
            dom::setAttribute(dom::appendElement(filter, QStringLiteral("Group")),
                              QStringLiteral("ID"), groups.first());
        for (const DeviceFilter& f : devices) {
            auto* device = dom::appendElement(filter, QStringLiteral("Device"));
            if (f.id != -1)
                dom::setAttribute(device, QStringLiteral("ID"), QString::number(f.id));
            for (const auto& [name, value] : f.pairs)
                dom::appendTextElement(device, name, value);
        }
    }
    if (forceUpToDate)
        dom::appendElement(root, QStringLiteral("ForceUpToDate"));
    if (!propertyNames.isEmpty()) {
        auto* list = dom::appendElement(root, QStringLiteral("PropertyList"));
        auto* device = dom::appendElement(list, QStringLiteral("Device"));
        for (const QString& name : propertyNames)
            dom::appendElement(device, name);
    }
    RequestPacket::serialize(body);
}
