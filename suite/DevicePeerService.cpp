#include "DevicePeerService.h"

#include "Sqlite.h"

#include "VXNServiceFramework/app/Log.h"

DevicePeerService::DevicePeerService(const DeviceDirectory& directory) : m_directory(directory) {
    addHandler(CmdDMSGetDeviceListRequest::commandName, this, &DevicePeerService::getDeviceList);
    addHandler(CmdDMSGetPropertiesRequest::commandName, this, &DevicePeerService::getProperties);
}

std::unique_ptr<CmdDMSGetDeviceListResponse>
DevicePeerService::getDeviceList(CmdDMSGetDeviceListRequest& request) {
    auto response = std::make_unique<CmdDMSGetDeviceListResponse>();
    // The values come from the database as they are; there is no device to ask afresh, so
    // ForceUpToDate changes nothing.
    try {
        response->devices =
            m_directory.devices(request.groups, request.devices, request.propertyNames);
    } catch (const SqliteError& e) {
        VELM_ERR << "DMSGetDeviceList: " << e.message();
        response->setResult(databaseError, e.message());
    }
    return response;
}

std::unique_ptr<CmdDMSGetPropertiesResponse>
DevicePeerService::getProperties(CmdDMSGetPropertiesRequest& request) {
    auto response = std::make_unique<CmdDMSGetPropertiesResponse>();
    try {
        response->properties = m_directory.settings(request.propertyNames);
    } catch (const SqliteError& e) {
        VELM_ERR << "DMSGetProperties: " << e.message();
        response->setResult(databaseError, e.message());
    }
    return response;
}
