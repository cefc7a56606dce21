#pragma once

#include "VELMPluginReportGenerator/lifecycle/CVELMReportGC.h"
#include "VELMPluginReportGenerator/lifecycle/ReportTable.h"
#include "VELMPluginReportGenerator/lifecycle/ReportThreads.h"
#include "VELMPluginReportGenerator/report/VELMReport.h"

#include "VXNServiceFramework/dispatch/Service.h"

#include <memory>

class PeerCaller;
class ReportCommands;
class CatalogueCommands;
class TemplateCommands;
class MailCommand;
class GenerateAndSendCommand;

// What the report generator talks to, and its timings.
struct ReportGeneratorSetup {
    PeerCaller* caller = nullptr; // not owned; outlives the service
    ReportSteps steps;
    std::function<QDateTime()> clock = [] {
        return QDateTime::currentDateTimeUtc();
    };
    CVELMReportGC::Timing collector; // its clock is the one above
    // What the documents of finished reports may hold together before the ones used longest
    // ago go, ahead of their six hours.
    std::size_t keptReportsBudget = defaultKeptReportsBudget();

    // An eighth of the machine's memory, at most 1 GiB.
    static std::size_t defaultKeptReportsBudget();
};

// The "RG" service: creates reports, runs each on its own thread, answers their status and
// results, and collects those nobody asks for any more.
class VELMReportGenerator : public Service {
public:
    explicit VELMReportGenerator(ReportGeneratorSetup setup);
    // Stops the collector, releases every report and waits for the report threads still
    // running, so none of them outlives the peers it calls.
    ~VELMReportGenerator() override;

    // Takes the next id and creates the report; throws VELMReportException (the id stays used).
    int createReport(const ReportDefinition& definition);
    std::shared_ptr<VELMReport> findReport(int id) const;
    // False when the id is not in the table.
    bool removeReport(int id);

    ReportCommands& reportCommands() { return *m_reportCommands; }
    CVELMReportGC& collector() { return *m_collector; }
    PeerCaller& caller() const { return *m_setup.caller; }

private:
    ReportGeneratorSetup m_setup;
    ReportTable m_table;
    ReportThreads m_threads;
    std::unique_ptr<ReportCommands> m_reportCommands;
    std::unique_ptr<CatalogueCommands> m_catalogueCommands;
    std::unique_ptr<TemplateCommands> m_templateCommands;
    std::unique_ptr<MailCommand> m_mailCommand;
    std::unique_ptr<GenerateAndSendCommand> m_generateAndSend;
    std::unique_ptr<CVELMReportGC> m_collector;
};
