#pragma once

#include "xmlbinding/binding.h"

namespace RGPCreateJACReport_Response {

struct c_VXNResponse {
    static constexpr char xml_name[] = "VXNResponse";
    static const xmlb::type_desc xml_type;

    int Result = 0;
    QString Details;
    int JACReportID = 0; // the plug-in's handle for the report
};

} // namespace RGPCreateJACReport_Response
