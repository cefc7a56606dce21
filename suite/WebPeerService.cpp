#include "WebPeerService.h"

#include "VXNServiceFramework/app/Log.h"

WebPeerService::WebPeerService(const UploadStore& store) : m_store(store) {
    addHandler(CmdWebUploadTemporaryFileRequest::commandName, this,
               &WebPeerService::uploadTemporaryFile);
}

std::unique_ptr<CmdWebUploadTemporaryFileResponse>
WebPeerService::uploadTemporaryFile(CmdWebUploadTemporaryFileRequest& request) {
    auto response = std::make_unique<CmdWebUploadTemporaryFileResponse>();
    if (const QString refused = UploadStore::checkFileName(request.fileName); !refused.isEmpty()) {
        VELM_ERR << "WEBUploadTemporaryFile refused: " << refused;
        response->setResult(refusedFileName, refused);
        return response;
    }
    const UploadStore::Outcome outcome = m_store.store(request.fileName, request.data);
    if (!outcome.ok) {
        VELM_ERR << "WEBUploadTemporaryFile: " << outcome.error;
        response->setResult(writeFailed, outcome.error);
        return response;
    }
    response->path = outcome.path;
    return response;
}
