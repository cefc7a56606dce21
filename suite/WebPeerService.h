#pragma once

#include "UploadStore.h"

#include "VXNServiceFramework/dispatch/Service.h"
#include "peers/CmdWebUploadTemporaryFileRequest.h"
#include "peers/CmdWebUploadTemporaryFileResponse.h"

// The web service: WEBUploadTemporaryFile into the upload store below the web root.
class WebPeerService : public Service {
public:
    static constexpr int refusedFileName = 1003;
    static constexpr int writeFailed = 1004;

    explicit WebPeerService(const UploadStore& store);

    std::unique_ptr<CmdWebUploadTemporaryFileResponse>
    uploadTemporaryFile(CmdWebUploadTemporaryFileRequest& request);

private:
    const UploadStore& m_store;
};
