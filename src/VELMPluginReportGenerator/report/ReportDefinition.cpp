#include "VELMPluginReportGenerator/report/ReportDefinition.h"

#include "VXNServiceFramework/dom/DomRead.h"

namespace {

ReportSelection readSelection(const dom::Element* selection) {
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
    dom::StringPairs pairs;
    dom::childPairs(selection, pairs);
    for (const auto& [name, value] : pairs)
        if (QStringList* list = lists.value(name))
            list->append(value);
    return result;
}

} // namespace

ReportDefinition ReportDefinition::fromElement(const dom::Element* report) {
    ReportDefinition definition;
    if (!report)
        return definition;
    dom::childPairs(report, definition.parameters);
    definition.selection = readSelection(dom::firstDescendant(report, QStringLiteral("Selection")));
    return definition;
}
