#include "VELMPluginReportGenerator/jobaccounting/messages/RGPCreateJACReport_Request.h"

namespace RGPCreateJACReport_Request {

namespace {
constexpr xmlb::field usersFields[] = {xmlb::elem<&c_Users::UserID>("UserID", 0, xmlb::unbounded)};
constexpr xmlb::field devicesFields[] = {
    xmlb::elem<&c_Devices::DeviceID>("DeviceID", 0, xmlb::unbounded)};
constexpr xmlb::field userGroupsFields[] = {
    xmlb::elem<&c_UserGroups::GroupID>("GroupID", 0, xmlb::unbounded)};
constexpr xmlb::field requestFields[] = {
    xmlb::attr<&c_VXNRequest::command>("command", true),
    xmlb::elem<&c_VXNRequest::Users>("Users", 0),
    xmlb::elem<&c_VXNRequest::Devices>("Devices", 0),
    xmlb::elem<&c_VXNRequest::UserGroups>("UserGroups", 0),
    xmlb::elem<&c_VXNRequest::ReportType>("ReportType"),
    xmlb::elem<&c_VXNRequest::StartTime>("StartTime"),
    xmlb::elem<&c_VXNRequest::EndTime>("EndTime"),
    xmlb::elem<&c_VXNRequest::GroupBy>("GroupBy"),
    xmlb::elem<&c_VXNRequest::SortUsersBy>("SortUsersBy", 0),
    xmlb::elem<&c_VXNRequest::SortDevicesBy>("SortDevicesBy", 0),
};
} // namespace

const xmlb::type_desc c_Users::xml_type = xmlb::make_type(usersFields);
const xmlb::type_desc c_Devices::xml_type = xmlb::make_type(devicesFields);
const xmlb::type_desc c_UserGroups::xml_type = xmlb::make_type(userGroupsFields);
const xmlb::type_desc c_VXNRequest::xml_type = xmlb::make_type(requestFields);

} // namespace RGPCreateJACReport_Request
