#pragma once

#include "xmlbinding/binding.h"

// The plug-in's answer to the presence probe: Result 0 when it is there.
namespace JACAddAccessRights_Response {

struct c_VXNResponse {
    static constexpr char xml_name[] = "VXNResponse";
    static const xmlb::type_desc xml_type;

    int Result = 0;
    QString Details;
};

} // namespace JACAddAccessRights_Response
