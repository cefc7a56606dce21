#include "VELMPluginReportGenerator/VELMReportGenerator.h"

#include "VELMPluginReportGenerator/email/MailCommand.h"
#include "VELMPluginReportGenerator/service/CatalogueCommands.h"
#include "VELMPluginReportGenerator/service/ExportCommand.h"
#include "VELMPluginReportGenerator/service/ReportCommands.h"
#include "VELMPluginReportGenerator/templates/GenerateAndSendCommand.h"
#include "VELMPluginReportGenerator/templates/TemplateCommands.h"

#include "VXNServiceFramework/app/Log.h"

#include <algorithm>
#include <unistd.h>

std::size_t ReportGeneratorSetup::defaultKeptReportsBudget() {
    // A finished report's document takes about ten times its text; kept for hours, the
    // documents of a busy day would otherwise make up most of the process.
    constexpr std::size_t most = std::size_t{1} << 30;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return most;
    return std::min(most, std::size_t(pages) / 8 * std::size_t(pageSize));
}

VELMReportGenerator::VELMReportGenerator(ReportGeneratorSetup setup)
    : m_setup(std::move(setup)), m_reportCommands(std::make_unique<ReportCommands>(*this)),
      m_catalogueCommands(std::make_unique<CatalogueCommands>(*m_setup.caller)),
      m_templateCommands(std::make_unique<TemplateCommands>(*m_setup.caller)),
      m_mailCommand(std::make_unique<MailCommand>(*this)),
      m_generateAndSend(std::make_unique<GenerateAndSendCommand>(*this)) {
    addHandler(QStringLiteral("RGPGenerateReport"), m_reportCommands.get(),
               &ReportCommands::generateReport);
    addHandler(QStringLiteral("RGPGetReportStatus"), m_reportCommands.get(),
               &ReportCommands::getReportStatus);
    addHandler(QStringLiteral("RGPCancelReport"), m_reportCommands.get(),
               &ReportCommands::cancelReport);
    addHandler(QStringLiteral("RGPGetReportResults"), m_reportCommands.get(),
               &ReportCommands::getReportResults);
    addHandler(QStringLiteral("RGPExportReport"), makeExportReportHandler(*this));
    addHandler(QStringLiteral("RGPGetReportCategories"), m_catalogueCommands.get(),
               &CatalogueCommands::getReportCategories);
    addHandler(QStringLiteral("RGPGetCurrentUsageCounters"), m_catalogueCommands.get(),
               &CatalogueCommands::getCurrentUsageCounters);
    addHandler(CCmdRGAddReportTemplateRequest::commandName, m_templateCommands.get(),
               &TemplateCommands::addTemplate);
    addHandler(CCmdRGSetReportTemplateRequest::commandName, m_templateCommands.get(),
               &TemplateCommands::setTemplate);
    addHandler(CCmdRGGetReportTemplateRequest::commandName, m_templateCommands.get(),
               &TemplateCommands::getTemplate);
    addHandler(CCmdRGPDeleteReportTemplateRequest::commandName, m_templateCommands.get(),
               &TemplateCommands::deleteTemplate);
    addHandler(CCmdRGPGetReportTemplateListRequest::commandName, m_templateCommands.get(),
               &TemplateCommands::getTemplateList);
    addHandler(CmdRGPSendReportByEmailRequest::commandName, m_mailCommand.get(),
               &MailCommand::sendReportByEmail);
    addHandler(CmdRGPGenerateAndSendReportByEmailRequest::commandName, m_generateAndSend.get(),
               &GenerateAndSendCommand::generateAndSend);
    m_setup.collector.clock = m_setup.clock;
    m_collector = std::make_unique<CVELMReportGC>(m_table, m_setup.collector);
    m_collector->start();
}

VELMReportGenerator::~VELMReportGenerator() {
    m_collector.reset();
    for (const auto& report : m_table.takeAll())
        report->requestStop();
    m_threads.waitForAll();
}

int VELMReportGenerator::createReport(const ReportDefinition& definition) {
    const int id = m_table.takeId();
    // Created without the table's lock: resolving the selection asks the database.
    auto report = std::make_shared<VELMReport>(
        id, definition, ReportEnvironment{m_setup.caller, m_setup.clock, m_setup.steps});
    m_threads.start(report);
    m_table.insert(id, std::move(report));
    // Reports are kept for hours; a flood of them must not take all the memory.
    for (const auto& evicted : m_table.evictOverBudget(m_setup.keptReportsBudget))
        VELM_INFO << "Memory: delete report with ID (" << evicted->id()
                  << "): the finished reports hold more than " << (m_setup.keptReportsBudget >> 20)
                  << " MiB";
    return id;
}

std::shared_ptr<VELMReport> VELMReportGenerator::findReport(int id) const {
    return m_table.find(id);
}

bool VELMReportGenerator::removeReport(int id) {
    const auto report = m_table.remove(id);
    if (!report)
        return false;
    report->requestStop();
    return true;
}
