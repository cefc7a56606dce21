#pragma once

#include "xmlbinding/binding.h"

// The job accounting plug-in's command, sent empty to find out whether the plug-in answers.
namespace JACAddAccessRights_Request {

struct c_VXNRequest {
    static constexpr char xml_name[] = "VXNRequest";
    static const xmlb::type_desc xml_type;

    QString command = QStringLiteral("JACAddAccessRights");
};

} // namespace JACAddAccessRights_Request
