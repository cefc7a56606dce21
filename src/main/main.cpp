#include "VXNServiceFramework/Application.h"

int main(int argc, char** argv) {
    int result = 0;
    {
        Application application(argc, argv, QStringLiteral("VELM_Report_Plugin"),
                                QStringLiteral("VELMReport.cfg"));
        // "MGMT" is added by the application itself; the report generator ("RG") and the
        // scheduler ("Scheduler") follow it here, in that order.
        result = application.exec();
    }
    return result;
}
