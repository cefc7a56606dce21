#include "VXNServiceFramework/Commands/MGMTCloseApplication_Response.h"

namespace MGMTCloseApplication_Response {

namespace {
constexpr xmlb::field fields[] = {
    xmlb::elem<&c_VXNResponse::Result>("Result"),
    xmlb::elem<&c_VXNResponse::Details>("Details"),
};
} // namespace

const xmlb::type_desc c_VXNResponse::xml_type = xmlb::make_type(fields);

} // namespace MGMTCloseApplication_Response
