#include "VELMPluginReportGenerator/Commands/RGPGetReportCategories_Response.h"

namespace RGPGetReportCategories_Response {

namespace {
constexpr xmlb::field categoryFields[] = {
    xmlb::elem<&c_Category::Name>("Name"),
    xmlb::elem<&c_Category::ReportType>("ReportType", 0, xmlb::unbounded),
};
constexpr xmlb::field responseFields[] = {
    xmlb::elem<&c_VXNResponse::Result>("Result"),
    xmlb::elem<&c_VXNResponse::Details>("Details"),
    xmlb::elem<&c_VXNResponse::Category>("Category", 0, xmlb::unbounded),
};
} // namespace

const xmlb::type_desc c_Category::xml_type = xmlb::make_type(categoryFields);
const xmlb::type_desc c_VXNResponse::xml_type = xmlb::make_type(responseFields);

} // namespace RGPGetReportCategories_Response
