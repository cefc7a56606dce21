#pragma once

#include "VXNServiceFramework/Commands/NSFindService_Request.h"
#include "VXNServiceFramework/Commands/NSFindService_Response.h"
#include "VXNServiceFramework/Commands/NSRegisterService_Request.h"
#include "VXNServiceFramework/Commands/NSRegisterService_Response.h"
#include "VXNServiceFramework/packets/BindPacket.h"

#include <QStringList>
#include <QUrl>

class ServiceClient;

using NSFindServiceRequest = BindRequest<NSFindService_Request::c_VXNRequest>;
using NSFindServiceResponse = BindResponse<NSFindService_Response::c_VXNResponse>;
using NSRegisterServiceRequest = BindRequest<NSRegisterService_Request::c_VXNRequest>;
using NSRegisterServiceResponse = BindResponse<NSRegisterService_Response::c_VXNResponse>;

// The naming service as this process uses it: it maps command names to service URLs.
namespace NamingService {

// Commands that go to the naming service itself, never looked up.
bool isOwnCommand(const QString& command);

// What the naming service said about a command.
struct Lookup {
    QString url; // empty unless found
    int result = 0;
    // The naming service took the request but gave no usable answer in time: asking it again at
    // once would only wait as long once more.
    bool unanswered() const;
};

// Asks the naming service for the URL of `command`; `result` is the lookup's own Result (after the
// client's retries, or at once when `probe`).
Lookup findService(ServiceClient& client, const QString& command, bool probe = false);

// Registers `ownUrl` as the place of `commands` (one method element each, in the given order).
bool registerService(ServiceClient& client, const QUrl& ownUrl, const QStringList& commands);

} // namespace NamingService
