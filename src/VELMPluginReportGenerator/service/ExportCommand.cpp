#include "VELMPluginReportGenerator/service/ExportCommand.h"

#include "VELMPluginReportGenerator/Commands/CmdRGPExportReportRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPExportReportResponse.h"
#include "VELMPluginReportGenerator/export/ReportExport.h"

#include "VXNServiceFramework/dispatch/HandlerTmpl.h"

namespace {

class ExportCommand {
public:
    explicit ExportCommand(VELMReportGenerator& generator) : m_generator(generator) {}

    std::unique_ptr<CmdRGPExportReportResponse> exportReport(CmdRGPExportReportRequest& request) {
        const ExportOutcome outcome =
            exportReportById(m_generator, request.reportId, request.fileFormat, request.locale);
        auto response =
            std::make_unique<CmdRGPExportReportResponse>(outcome.result, outcome.details);
        response->filePath = outcome.filePath;
        return response;
    }

private:
    VELMReportGenerator& m_generator;
};

// Owns the command object that its bound handler calls.
class ExportReportHandler final : public CommandHandler {
public:
    explicit ExportReportHandler(VELMReportGenerator& generator) : m_command(generator) {}

    std::unique_ptr<Packet> handle(Packet& request) override { return m_bound.handle(request); }
    std::unique_ptr<Packet> handle(const QByteArray& body) override { return m_bound.handle(body); }

private:
    ExportCommand m_command;
    HandlerTmpl<ExportCommand, CmdRGPExportReportRequest, CmdRGPExportReportResponse> m_bound{
        &m_command, &ExportCommand::exportReport};
};

} // namespace

std::shared_ptr<CommandHandler> makeExportReportHandler(VELMReportGenerator& generator) {
    return std::make_shared<ExportReportHandler>(generator);
}
