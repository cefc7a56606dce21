#pragma once

#include "xmlbinding/binding.h"

namespace RGPGetReportCategories_Response {

struct c_Category {
    static const xmlb::type_desc xml_type;

    QString Name;
    QList<QString> ReportType;
};

struct c_VXNResponse {
    static constexpr char xml_name[] = "VXNResponse";
    static const xmlb::type_desc xml_type;

    int Result = 0;
    QString Details;
    QList<c_Category> Category;
};

} // namespace RGPGetReportCategories_Response
