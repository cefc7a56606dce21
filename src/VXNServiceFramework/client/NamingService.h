#pragma once

#include "VXNServiceFramework/Commands/NSFindService_Request.h"
#include "VXNServiceFramework/Commands/NSFindService_Response.h"
#include "VXNServiceFramework/Commands/NSRegisterService_Request.h"
#include "VXNServiceFramework/Commands/NSRegisterService_Response.h"
#include "VXNServiceFramework/packets/BindPacket.h"

#include <QStringList>
#include <QUrl>

#include <optional>

class ServiceClient;

using NSFindServiceRequest = BindRequest<NSFindService_Request::c_VXNRequest>;
using NSFindServiceResponse = BindResponse<NSFindService_Response::c_VXNResponse>;
using NSRegisterServiceRequest = BindRequest<NSRegisterService_Request::c_VXNRequest>;
using NSRegisterServiceResponse = BindResponse<NSRegisterService_Response::c_VXNResponse>;

// The naming service as this process uses it: it maps command names to service URLs.
namespace NamingService {

// Commands that go to the naming service itself, never looked up.
bool isOwnCommand(const QString& command);

// The URL the naming service gives for `command`; none when it answers a failure (or cannot be
// reached after the client's retries, or at once when `probe`).
std::optional<QString> findService(ServiceClient& client, const QString& command,
                                   bool probe = false);

// Registers `ownUrl` as the place of `commands` (one method element each, in the given order).
bool registerService(ServiceClient& client, const QUrl& ownUrl, const QStringList& commands);

} // namespace NamingService
