#pragma once

#include "VXNServiceFramework/Commands/MGMTCloseApplication_Request.h"
#include "VXNServiceFramework/Commands/MGMTCloseApplication_Response.h"
#include "VXNServiceFramework/control/CmdVXNGetVersionResponse.h"
#include "VXNServiceFramework/dispatch/Service.h"
#include "VXNServiceFramework/packets/BindPacket.h"
#include "VXNServiceFramework/packets/RequestPacket.h"

using MGMTCloseApplicationRequest = BindRequest<MGMTCloseApplication_Request::c_VXNRequest>;
using MGMTCloseApplicationResponse = BindResponse<MGMTCloseApplication_Response::c_VXNResponse>;

// The management service ("MGMT"): lets any peer end the process, and tells the version.
class ManagementService : public Service {
public:
    ManagementService();

    // Asks the core application's event loop to quit and answers 0 "OK"; the connection still
    // delivers the answer, since the process waits for its connections before it ends.
    std::unique_ptr<MGMTCloseApplicationResponse> closeApplication(MGMTCloseApplicationRequest&);
    // "VXNGetVersion": the project's version.
    std::unique_ptr<CmdVXNGetVersionResponse> getVersion(RequestPacket&);
};
