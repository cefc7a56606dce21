#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"

#include "VXNServiceFramework/packets/XercesString.h"

#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

namespace {

PacketDOM::StringPairs selectionPairs(const ReportSelection& selection) {
    PacketDOM::StringPairs pairs;
    const std::pair<const char*, const QStringList*> lists[] = {
        {"DeviceID", &selection.deviceIds}, {"GroupID", &selection.groupIds},
        {"Model", &selection.models},       {"UserID", &selection.userIds},
        {"UserGroupID", &selection.userGroupIds}};
    for (const auto& [name, values] : lists)
        for (const QString& value : *values)
            pairs.append({QLatin1String(name), value});
    return pairs;
}

} // namespace

std::optional<ReportDefinition> CmdRGPGenerateReportRequest::onlyDefinition(const RequestPacket& request) {
    if (!request.document())
        return std::nullopt;
    const DOMNodeList* reports = request.document()->getElementsByTagName(u"Report");
    if (!reports || reports->getLength() != 1)
        return std::nullopt;
    return ReportDefinition::fromElement(static_cast<const DOMElement*>(reports->item(0)));
}

void CmdRGPGenerateReportRequest::parse(const QByteArray& body) {
    RequestPacket::parse(body);
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
        DOMElement* selection = createTextElement(QStringLiteral("Selection"), {});
        report->appendChild(selection);
        addChildPairs(selection, selectionPairs(definition->selection));
    }
    RequestPacket::serialize(body);
}
