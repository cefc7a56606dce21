#include "VELMPluginReportGenerator/service/ReportTemplateFetch.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateReportRequest.h"
#include "VELMPluginReportGenerator/templates/BodyText.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/client/PeerCaller.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/ResultCodes.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <QRegularExpression>

namespace {

const QString templateCommand = QStringLiteral("RGPGetReportTemplate");
constexpr qsizetype minimumReportPart = 10;

} // namespace

QString reportRequestFromTemplate(const QString& templateAnswer) {
    static const QRegularExpression reportPart(QStringLiteral("<Report>.*</Report>"),
                                               QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = reportPart.match(templateAnswer);
    if (!match.hasMatch() || match.capturedLength() <= minimumReportPart)
        return {};
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\"?>"
                          "<VXNRequest command=\"RGPGenerateReport\">") +
           match.captured() + QStringLiteral("</VXNRequest>");
}

std::optional<ReportDefinition> fetchTemplateDefinition(PeerCaller& caller,
                                                        const QString& templateId) {
    bool ok = false;
    const uint id = templateId.toUInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    RequestPacket request(templateCommand);
    request.addElement(QStringLiteral("Template"), {}, QString::number(id));
    const auto answer = caller.call<ResponsePacket>(request);
    if (answer->result() != ResultCode::Ok)
        return std::nullopt;
    const QString text = reportRequestFromTemplate(bodyText::of(*answer));
    if (text.isEmpty())
        return std::nullopt;
    VELM_INFO << "Extracted report part " << text;
    CmdRGPGenerateReportRequest extracted;
    try {
        extracted.parse(bodyText::toBody(text));
    } catch (const WrongPacketFormat& e) {
        VELM_ERR << "Report part of template " << id << " cannot be read: " << e.message();
        return std::nullopt;
    }
    return extracted.definition;
}
