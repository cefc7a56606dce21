#include "NamingPeerService.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

#include "VXNServiceFramework/app/Log.h"

NamingPeerService::NamingPeerService(NamingTable& table) : m_table(table) {
    addHandler(QStringLiteral("NSRegisterService"), this, &NamingPeerService::registerService);
    addHandler(QStringLiteral("NSFindService"), this, &NamingPeerService::findService);
    addHandler(vxnGetVersionCommand, this, &NamingPeerService::getVersion);
}

std::unique_ptr<NSRegisterResponse> NamingPeerService::registerService(NSRegisterRequest& request) {
    auto response = std::make_unique<NSRegisterResponse>();
    if (request.URL.trimmed().isEmpty()) {
        response->setResult(ResultCode::WrongRequestFormat,
                            QStringLiteral("Registration without URL"));
        return response;
    }
    QStringList commands;
    for (const auto& method : request.method)
        if (!method.value.isEmpty())
            commands.append(method.value);
    m_table.registerService(request.URL, commands);
    VELM_INFO << "Registered " << commands.size() << " commands at " << request.URL;
    return response;
}

std::unique_ptr<NSFindResponse> NamingPeerService::findService(NSFindRequest& request) {
    auto response = std::make_unique<NSFindResponse>();
    const QString url = m_table.find(request.Command);
    if (url.isEmpty())
        response->setResult(ResultCode::UnknownCommand,
                            ResultText::cantFindPrefix + request.Command);
    else
        response->ServiceURL = url;
    return response;
}

std::unique_ptr<CmdVXNGetVersionResponse> NamingPeerService::getVersion(RequestPacket&) {
    auto response = std::make_unique<CmdVXNGetVersionResponse>();
    response->version = version;
    return response;
}
