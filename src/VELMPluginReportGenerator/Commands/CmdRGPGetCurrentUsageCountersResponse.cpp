#include "VELMPluginReportGenerator/Commands/CmdRGPGetCurrentUsageCountersResponse.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

namespace {

QString childText(const dom::Element* parent, const QString& name) {
    return dom::textContent(dom::firstChild(parent, name));
}

} // namespace

void CmdRGPGetCurrentUsageCountersResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    deviceId = elementText(QStringLiteral("DeviceID"));
    counters.clear();
    dom::forEachDescendant(document(), QStringLiteral("UsageCounter"), [&](dom::Element* counter) {
        const dom::Element* descriptor = dom::firstChild(counter, QStringLiteral("Descriptor"));
        counters.append({childText(descriptor, QStringLiteral("JobType")),
                         childText(descriptor, QStringLiteral("ColorMode")),
                         childText(descriptor, QStringLiteral("PageSize")),
                         childText(descriptor, QStringLiteral("PrintMode")),
                         childText(counter, QStringLiteral("Value"))});
    });
}

void CmdRGPGetCurrentUsageCountersResponse::serialize(QByteArray& body) {
    buildDocument();
    if (result() == ResultCode::Ok) {
        addElement(QStringLiteral("DeviceID"), deviceId);
        DOMElement* list = addElement(QStringLiteral("UsageCounters"), {});
        for (const UsageCounter& counter : counters) {
            DOMElement* element = dom::appendElement(list, QStringLiteral("UsageCounter"));
            dom::appendTextElements(dom::appendElement(element, QStringLiteral("Descriptor")),
                                    {{QStringLiteral("JobType"), counter.jobType},
                                     {QStringLiteral("ColorMode"), counter.colorMode},
                                     {QStringLiteral("PageSize"), counter.pageSize},
                                     {QStringLiteral("PrintMode"), counter.printMode}});
            dom::appendTextElement(element, QStringLiteral("Value"), counter.value);
        }
    }
    ResponsePacket::serialize(body);
}
