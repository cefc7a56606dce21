#include "VXNServiceFramework/control/ManagementService.h"

#include <QCoreApplication>
#include <QMetaObject>

ManagementService::ManagementService() {
    addHandler(QStringLiteral("MGMTCloseApplication"), this, &ManagementService::closeApplication);
}

std::unique_ptr<MGMTCloseApplicationResponse>
ManagementService::closeApplication(MGMTCloseApplicationRequest&) {
    // Runs on a connection thread: the quit is delivered through the main event loop.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
    }
    return std::make_unique<MGMTCloseApplicationResponse>();
}
