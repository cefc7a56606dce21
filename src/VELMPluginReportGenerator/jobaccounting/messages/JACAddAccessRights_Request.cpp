#include "VELMPluginReportGenerator/jobaccounting/messages/JACAddAccessRights_Request.h"

namespace JACAddAccessRights_Request {

namespace {
constexpr xmlb::field fields[] = {
    xmlb::attr<&c_VXNRequest::command>("command", true),
};
} // namespace

const xmlb::type_desc c_VXNRequest::xml_type = xmlb::make_type(fields);

} // namespace JACAddAccessRights_Request
