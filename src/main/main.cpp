#include "VXNServiceFramework/app/Application.h"
#include "VXNServiceFramework/dispatch/ServiceFactory.h"
#include "VXNServiceFramework/time/SystemZone.h"
#include "scheduler/VELMScheduler.h"

#include <QtGlobal>
#include <memory>

int main(int argc, char** argv) {
    // Every connection runs on a thread of its own; Qt's plain event dispatcher makes starting
    // those threads markedly cheaper than the GLib one.
    qputenv("QT_NO_GLIB", "1");
    // Under systemd TZ is unset, which would make every local-time conversion stat the zone file.
    const SystemZone systemZone;
    int result = 0;
    {
        Application application(argc, argv, QStringLiteral("VELM_Report_Plugin"),
                                QStringLiteral("VELMReport.cfg"));
        // "MGMT" is added by the application itself; the report generator ("RG") joins before
        // the scheduler once it exists.
        application.addService(QStringLiteral("Scheduler"),
                               std::make_unique<ServiceFactory<VELMScheduler>>());
        result = application.exec();
    }
    return result;
}
