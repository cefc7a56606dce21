#include "VELMPluginReportGenerator/jobaccounting/messages/JACAddAccessRights_Response.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/RGPCreateJACReport_Response.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/RGPDeleteJACReportResult_Response.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/RGPGetJACReportResult_Response.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/RGPGetJACReportStatus_Response.h"

namespace {
template <class R> constexpr xmlb::field result() {
    return xmlb::elem<&R::Result>("Result");
}
template <class R> constexpr xmlb::field details() {
    return xmlb::elem<&R::Details>("Details");
}

using CreateResponse = RGPCreateJACReport_Response::c_VXNResponse;
using StatusResponse = RGPGetJACReportStatus_Response::c_VXNResponse;
using ResultResponse = RGPGetJACReportResult_Response::c_VXNResponse;
using DeleteResponse = RGPDeleteJACReportResult_Response::c_VXNResponse;
using ProbeResponse = JACAddAccessRights_Response::c_VXNResponse;

// Responses that carry nothing but Result and Details.
template <class R> constexpr xmlb::field plainFields[] = {result<R>(), details<R>()};

constexpr xmlb::field createFields[] = {result<CreateResponse>(), details<CreateResponse>(),
                                        xmlb::elem<&CreateResponse::JACReportID>("JACReportID", 0)};
constexpr xmlb::field statusFields[] = {result<StatusResponse>(), details<StatusResponse>(),
                                        xmlb::elem<&StatusResponse::Progress>("Progress", 0)};
constexpr xmlb::field resultFields[] = {result<ResultResponse>(), details<ResultResponse>(),
                                        xmlb::elem<&ResultResponse::Report>("Report", 0)};
} // namespace

const xmlb::type_desc CreateResponse::xml_type = xmlb::make_type(createFields);
const xmlb::type_desc StatusResponse::xml_type = xmlb::make_type(statusFields);
const xmlb::type_desc ResultResponse::xml_type = xmlb::make_type(resultFields);
const xmlb::type_desc DeleteResponse::xml_type = xmlb::make_type(plainFields<DeleteResponse>);
const xmlb::type_desc ProbeResponse::xml_type = xmlb::make_type(plainFields<ProbeResponse>);
