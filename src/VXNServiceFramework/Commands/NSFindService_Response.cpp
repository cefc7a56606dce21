#include "VXNServiceFramework/Commands/NSFindService_Response.h"

namespace NSFindService_Response {

namespace {
constexpr xmlb::field fields[] = {
    xmlb::elem<&c_VXNResponse::Result>("Result"),
    xmlb::elem<&c_VXNResponse::Details>("Details"),
    xmlb::elem<&c_VXNResponse::ServiceURL>("ServiceURL", 0),
};
} // namespace

const xmlb::type_desc c_VXNResponse::xml_type = xmlb::make_type(fields);

} // namespace NSFindService_Response
