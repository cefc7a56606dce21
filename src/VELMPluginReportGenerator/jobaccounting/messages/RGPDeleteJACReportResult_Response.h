#pragma once

#include "xmlbinding/binding.h"

namespace RGPDeleteJACReportResult_Response {

struct c_VXNResponse {
    static constexpr char xml_name[] = "VXNResponse";
    static const xmlb::type_desc xml_type;

    int Result = 0;
    QString Details;
};

} // namespace RGPDeleteJACReportResult_Response
