#pragma once

#include "NamingTable.h"
#include "VXNServiceFramework/control/CmdVXNGetVersionResponse.h"
#include "VelmVersion.h"

#include "VXNServiceFramework/Commands/NSFindService_Request.h"
#include "VXNServiceFramework/Commands/NSFindService_Response.h"
#include "VXNServiceFramework/Commands/NSRegisterService_Request.h"
#include "VXNServiceFramework/Commands/NSRegisterService_Response.h"
#include "VXNServiceFramework/dispatch/Service.h"
#include "VXNServiceFramework/packets/BindPacket.h"
#include "VXNServiceFramework/packets/RequestPacket.h"

using NSRegisterRequest = BindRequest<NSRegisterService_Request::c_VXNRequest>;
using NSRegisterResponse = BindResponse<NSRegisterService_Response::c_VXNResponse>;
using NSFindRequest = BindRequest<NSFindService_Request::c_VXNRequest>;
using NSFindResponse = BindResponse<NSFindService_Response::c_VXNResponse>;

// The naming service: NSRegisterService, NSFindService and VXNGetVersion over a NamingTable.
class NamingPeerService : public Service {
public:
    static inline const QString version = QString::fromLatin1(velmVersion);

    explicit NamingPeerService(NamingTable& table);

    std::unique_ptr<NSRegisterResponse> registerService(NSRegisterRequest& request);
    std::unique_ptr<NSFindResponse> findService(NSFindRequest& request);
    std::unique_ptr<CmdVXNGetVersionResponse> getVersion(RequestPacket& request);

private:
    NamingTable& m_table;
};
