#pragma once

#include "xmlbinding/binding.h"

#include <optional>

namespace RGPGetJACReportStatus_Response {

struct c_VXNResponse {
    static constexpr char xml_name[] = "VXNResponse";
    static const xmlb::type_desc xml_type;

    int Result = 0;
    QString Details;
    std::optional<int> Progress; // 0 to 100
};

} // namespace RGPGetJACReportStatus_Response
