#include "VELMPluginReportGenerator/report/ReportDefinition.h"

#include "VXNServiceFramework/packets/PacketDOM.h"
#include "VXNServiceFramework/packets/XercesString.h"

#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

namespace {

const DOMElement* firstSelection(const DOMElement* report) {
    const DOMNodeList* found = report->getElementsByTagName(toXml(QStringLiteral("Selection")));
    return found && found->getLength() > 0 ? static_cast<const DOMElement*>(found->item(0))
                                           : nullptr;
}

ReportSelection readSelection(const DOMElement* selection) {
    ReportSelection result;
    if (!selection)
        return result;
    const QMap<QString, QStringList*> lists{
        {QStringLiteral("DeviceID"), &result.deviceIds},
        {QStringLiteral("GroupID"), &result.groupIds},
        {QStringLiteral("Model"), &result.models},
        {QStringLiteral("UserID"), &result.userIds},
        {QStringLiteral("UserGroupID"), &result.userGroupIds},
    };
    PacketDOM::StringPairs pairs;
    PacketDOM::childPairs(selection, pairs);
    for (const auto& [name, value] : pairs)
        if (QStringList* list = lists.value(name))
            list->append(value);
    return result;
}

} // namespace

ReportDefinition ReportDefinition::fromElement(const DOMElement* report) {
    ReportDefinition definition;
    if (!report)
        return definition;
    PacketDOM::childPairs(report, definition.parameters);
    definition.selection = readSelection(firstSelection(report));
    return definition;
}
