#include "VXNServiceFramework/control/ManagementService.h"

#include "VelmVersion.h"

#include "VXNServiceFramework/app/Log.h"

#include <QCoreApplication>
#include <QMetaObject>

ManagementService::ManagementService() {
    addHandler(QStringLiteral("MGMTCloseApplication"), this, &ManagementService::closeApplication);
    addHandler(vxnGetVersionCommand, this, &ManagementService::getVersion);
}

std::unique_ptr<MGMTCloseApplicationResponse>
ManagementService::closeApplication(MGMTCloseApplicationRequest&) {
    // The stop that follows says why in the log.
    VELM_INFO << "MGMTCloseApplication: stopping at a peer's request";
    // Runs on a connection thread: the quit is delivered through the main event loop.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
    }
    return std::make_unique<MGMTCloseApplicationResponse>();
}

std::unique_ptr<CmdVXNGetVersionResponse> ManagementService::getVersion(RequestPacket&) {
    auto response = std::make_unique<CmdVXNGetVersionResponse>();
    response->version = QString::fromLatin1(velmVersion);
    return response;
}
