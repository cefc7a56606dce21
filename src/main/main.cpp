#include "VELMPluginReportGenerator/VELMReportGenerator.h"
#include "VELMPluginReportGenerator/charts/CounterChartStep.h"
#include "VELMPluginReportGenerator/jobaccounting/JobAccountingFlow.h"
#include "VXNServiceFramework/app/Application.h"
#include "VXNServiceFramework/client/ServiceClient.h"
#include "VXNServiceFramework/dispatch/ServiceFactory.h"
#include "VXNServiceFramework/time/SystemZone.h"
#include "scheduler/VELMScheduler.h"

#include <QtGlobal>
#include <memory>

namespace {

// The stop sequence drains the services, and a handler may be waiting out the retry pauses of
// a peer that is gone: those calls give up first, so that stopping never waits for them.
class ReportApplication final : public Application {
public:
    using Application::Application;

    void stop() override {
        ServiceClient::instance().shutdown();
        Application::stop();
    }
};

} // namespace

int main(int argc, char** argv) {
    // Every connection runs on a thread of its own; Qt's plain event dispatcher makes starting
    // those threads markedly cheaper than the GLib one.
    qputenv("QT_NO_GLIB", "1");
    // Under systemd TZ is unset, which would make every local-time conversion stat the zone file.
    const SystemZone systemZone;
    int result = 0;
    {
        ReportApplication application(argc, argv, QStringLiteral("VELM_Report_Plugin"),
                                      QStringLiteral("VELMReport.cfg"));
        // "MGMT" is added by the application itself.
        application.addService(QStringLiteral("RG"), std::make_unique<ServiceFactoryFunction>([] {
                                   ReportGeneratorSetup setup;
                                   setup.caller = &ServiceClient::instance();
                                   setup.steps.chart = std::make_shared<CounterChartStep>();
                                   setup.steps.jobAccounting =
                                       std::make_shared<JobAccountingFlow>();
                                   return std::make_unique<VELMReportGenerator>(std::move(setup));
                               }));
        application.addService(
            QStringLiteral("Scheduler"), std::make_unique<ServiceFactoryFunction>([] {
                return std::make_unique<VELMScheduler>(ServiceClient::instance());
            }));
        result = application.exec();
        // Ended another way than by the stop sequence (MGMTCloseApplication): the same applies
        // to the services still to be drained.
        ServiceClient::instance().shutdown();
    }
    return result;
}
