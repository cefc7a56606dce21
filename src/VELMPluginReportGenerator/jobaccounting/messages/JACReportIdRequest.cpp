#include "VELMPluginReportGenerator/jobaccounting/messages/RGPDeleteJACReportResult_Request.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/RGPGetJACReportResult_Request.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/RGPGetJACReportStatus_Request.h"

namespace JACReportIdRequest {

namespace {
template <const char* Command>
constexpr xmlb::field fields[] = {
    xmlb::attr<&c_VXNRequest<Command>::command>("command", true),
    xmlb::elem<&c_VXNRequest<Command>::JACReportID>("JACReportID"),
};
} // namespace

template <const char* Command>
const xmlb::type_desc c_VXNRequest<Command>::xml_type = xmlb::make_type(fields<Command>);

template struct c_VXNRequest<RGPGetJACReportStatus_Request::commandName>;
template struct c_VXNRequest<RGPGetJACReportResult_Request::commandName>;
template struct c_VXNRequest<RGPDeleteJACReportResult_Request::commandName>;

} // namespace JACReportIdRequest
