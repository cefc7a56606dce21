#include "VXNServiceFramework/client/NamingService.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

#include "VXNServiceFramework/client/ServiceClient.h"

namespace NamingService {

bool isOwnCommand(const QString& command) {
    return command == QLatin1String("NSRegisterService") ||
           command == QLatin1String("NSFindService") || command == QLatin1String("VXNGetVersion");
}

bool Lookup::unanswered() const {
    return result == ResultCode::CommunicationFailed;
}

Lookup findService(ServiceClient& client, const QString& command, bool probe) {
    NSFindServiceRequest request;
    request.Command = command;
    const std::unique_ptr<NSFindServiceResponse> response =
        probe ? client.probe<NSFindServiceResponse>(request)
              : client.sendCommand<NSFindServiceResponse>(request, true);
    if (!response) {
        return {{}, ResultCode::CommunicationFailed};
    }
    if (response->Result != ResultCode::Ok) {
        return {{}, response->Result};
    }
    return {response->ServiceURL, ResultCode::Ok};
}

bool registerService(ServiceClient& client, const QUrl& ownUrl, const QStringList& commands) {
    NSRegisterServiceRequest request;
    request.URL = ownUrl.toString();
    for (const QString& command : commands) {
        request.method.append(NSRegisterService_Request::c_anon_method(command));
    }
    const std::unique_ptr<NSRegisterServiceResponse> response =
        client.sendCommand<NSRegisterServiceResponse>(request, true);
    return response && response->Result == ResultCode::Ok;
}

} // namespace NamingService
