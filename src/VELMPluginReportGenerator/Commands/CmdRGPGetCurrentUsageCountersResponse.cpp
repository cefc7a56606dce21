#include "VELMPluginReportGenerator/Commands/CmdRGPGetCurrentUsageCountersResponse.h"

#include "VXNServiceFramework/packets/ResultCodes.h"
#include "VXNServiceFramework/packets/XercesString.h"

#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

namespace {

QString childText(const DOMElement* parent, const char16_t* name) {
    for (const DOMElement* child = parent->getFirstElementChild(); child;
         child = child->getNextElementSibling())
        if (QStringView(child->getTagName()) == QStringView(name))
            return PacketDOM::textContent(child);
    return {};
}

} // namespace

void CmdRGPGetCurrentUsageCountersResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    deviceId = elementText(QStringLiteral("DeviceID"));
    counters.clear();
    if (!document())
        return;
    const DOMNodeList* found = document()->getElementsByTagName(u"UsageCounter");
    for (XMLSize_t i = 0; found && i < found->getLength(); ++i) {
        const auto* counter = static_cast<const DOMElement*>(found->item(i));
        const DOMElement* descriptor = counter->getFirstElementChild();
        while (descriptor && QStringView(descriptor->getTagName()) != u"Descriptor")
            descriptor = descriptor->getNextElementSibling();
        UsageCounter read;
        if (descriptor) {
            read.jobType = childText(descriptor, u"JobType");
            read.colorMode = childText(descriptor, u"ColorMode");
            read.pageSize = childText(descriptor, u"PageSize");
            read.printMode = childText(descriptor, u"PrintMode");
        }
        read.value = childText(counter, u"Value");
        counters.append(read);
    }
}

void CmdRGPGetCurrentUsageCountersResponse::serialize(QByteArray& body) {
    buildDocument();
    if (result() == ResultCode::Ok) {
        addElement(QStringLiteral("DeviceID"), deviceId);
        DOMElement* list = addElement(QStringLiteral("UsageCounters"), {});
        for (const UsageCounter& counter : counters) {
            DOMElement* element = createTextElement(QStringLiteral("UsageCounter"), {});
            DOMElement* descriptor = createTextElement(QStringLiteral("Descriptor"), {});
            addChildPairs(descriptor, {{QStringLiteral("JobType"), counter.jobType},
                                       {QStringLiteral("ColorMode"), counter.colorMode},
                                       {QStringLiteral("PageSize"), counter.pageSize},
                                       {QStringLiteral("PrintMode"), counter.printMode}});
            element->appendChild(descriptor);
            addChildPairs(element, {{QStringLiteral("Value"), counter.value}});
            list->appendChild(element);
        }
    }
    ResponsePacket::serialize(body);
}
