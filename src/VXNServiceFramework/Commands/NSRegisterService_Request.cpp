#include "VXNServiceFramework/Commands/NSRegisterService_Request.h"

namespace NSRegisterService_Request {

namespace {
constexpr xmlb::field method_fields[] = {xmlb::text<&c_anon_method::value>()};
} // namespace

const xmlb::type_desc c_anon_method::xml_type = xmlb::make_type(method_fields);

namespace {
constexpr xmlb::field fields[] = {
    xmlb::attr<&c_VXNRequest::command>("command", true),
    xmlb::elem<&c_VXNRequest::URL>("URL"),
    xmlb::elem<&c_VXNRequest::method>("method", 1, xmlb::unbounded),
};
} // namespace

const xmlb::type_desc c_VXNRequest::xml_type = xmlb::make_type(fields);

} // namespace NSRegisterService_Request
