#pragma once

#include "xmlbinding/binding.h"

namespace RGPGetReportCategories_Request {

struct c_VXNRequest {
    static constexpr char xml_name[] = "VXNRequest";
    static const xmlb::type_desc xml_type;

    QString command = QStringLiteral("RGPGetReportCategories");
};

} // namespace RGPGetReportCategories_Request
