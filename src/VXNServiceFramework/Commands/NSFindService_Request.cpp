#include "VXNServiceFramework/Commands/NSFindService_Request.h"

namespace NSFindService_Request {

namespace {
constexpr xmlb::field fields[] = {
    xmlb::attr<&c_VXNRequest::command>("command", true),
    xmlb::elem<&c_VXNRequest::Command>("Command"),
};
} // namespace

const xmlb::type_desc c_VXNRequest::xml_type = xmlb::make_type(fields);

} // namespace NSFindService_Request
