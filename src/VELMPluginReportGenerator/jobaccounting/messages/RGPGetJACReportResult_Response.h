#pragma once

#include "VELMPluginReportGenerator/jobaccounting/messages/JACReport.h"

#include <optional>

namespace RGPGetJACReportResult_Response {

struct c_VXNResponse {
    static constexpr char xml_name[] = "VXNResponse";
    static const xmlb::type_desc xml_type;

    int Result = 0;
    QString Details;
    std::optional<JACReport::c_Report> Report;
};

} // namespace RGPGetJACReportResult_Response
