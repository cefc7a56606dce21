#pragma once

#include "xmlbinding/binding.h"

// The requests that name a report of the plug-in by its handle (status, result, delete).
namespace JACReportIdRequest {

template <const char* Command> struct c_VXNRequest {
    static constexpr char xml_name[] = "VXNRequest";
    static const xmlb::type_desc xml_type;

    QString command = QString::fromLatin1(Command);
    int JACReportID = 0;
};

} // namespace JACReportIdRequest
