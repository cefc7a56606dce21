#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomRead.h"

namespace {

PacketDOM::StringPairs selectionPairs(const ReportSelection& selection) {
    PacketDOM::StringPairs pairs;
    const std::pair<const char*, const QStringList*> lists[] = {
        {"DeviceID", &selection.deviceIds},
        {"GroupID", &selection.groupIds},
        {"Model", &selection.models},
        {"UserID", &selection.userIds},
        {"UserGroupID", &selection.userGroupIds}};
    for (const auto& [name, values] : lists)
        for (const QString& value : *values)
            pairs.append({QLatin1String(name), value});
    return pairs;
}

} // namespace

std::optional<ReportDefinition>
CmdRGPGenerateReportRequest::onlyDefinition(const RequestPacket& request) {
    const dom::Element* report = dom::onlyDescendant(request.document(), QStringLiteral("Report"));
    if (!report)
        return std::nullopt;
    return ReportDefinition::fromElement(report);
}

void CmdRGPGenerateReportRequest::parse(const QByteArray& body) {
    ReportRequestPacket::parse(body);
    templateId = elementId(QStringLiteral("Template"));
    definition.reset();
    if (templateId.isEmpty())
        definition = onlyDefinition(*this);
}

void CmdRGPGenerateReportRequest::serialize(QByteArray& body) {
    buildDocument();
    if (!templateId.isEmpty()) {
        addElement(QStringLiteral("Template"), {}, templateId);
    } else if (definition) {
        DOMElement* report = addElement(QStringLiteral("Report"), {});
        StringPairs parameters;
        for (auto it = definition->parameters.cbegin(); it != definition->parameters.cend(); ++it)
            if (it.key() != QStringLiteral("Selection"))
                parameters.append({it.key(), it.value()});
        addChildPairs(report, parameters);
        dom::appendTextElements(dom::appendElement(report, QStringLiteral("Selection")),
                                selectionPairs(definition->selection));
    }
    RequestPacket::serialize(body);
}
