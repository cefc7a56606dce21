#pragma once

#include "DeviceDirectory.h"

#include "VXNServiceFramework/dispatch/Service.h"
#include "peers/CmdDMSGetPropertiesRequest.h"
#include "peers/CmdDMSGetPropertiesResponse.h"

// The device management service: DMSGetDeviceList and DMSGetProperties from the database.
class DevicePeerService : public Service {
public:
    static constexpr int databaseError = 1002;

    explicit DevicePeerService(const DeviceDirectory& directory);

    std::unique_ptr<CmdDMSGetDeviceListResponse> getDeviceList(CmdDMSGetDeviceListRequest& request);
    std::unique_ptr<CmdDMSGetPropertiesResponse> getProperties(CmdDMSGetPropertiesRequest& request);

private:
    const DeviceDirectory& m_directory;
};
