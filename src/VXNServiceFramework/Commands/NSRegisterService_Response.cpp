#include "VXNServiceFramework/Commands/NSRegisterService_Response.h"

namespace NSRegisterService_Response {

namespace {
constexpr xmlb::field fields[] = {
    xmlb::elem<&c_VXNResponse::Result>("Result"),
    xmlb::elem<&c_VXNResponse::Details>("Details"),
};
} // namespace

const xmlb::type_desc c_VXNResponse::xml_type = xmlb::make_type(fields);

} // namespace NSRegisterService_Response
