#pragma once

#include "xmlbinding/binding.h"

namespace NSFindService_Response {

struct c_VXNResponse {
    static constexpr char xml_name[] = "VXNResponse";
    static const xmlb::type_desc xml_type;

    int Result = 0;
    QString Details;
    QString ServiceURL; // absent when the command is unknown
};

} // namespace NSFindService_Response
