#pragma once

#include "xmlbinding/binding.h"

namespace NSFindService_Request {

struct c_VXNRequest {
    static constexpr char xml_name[] = "VXNRequest";
    static const xmlb::type_desc xml_type;

    QString command = QStringLiteral("NSFindService");
    QString Command;
};

} // namespace NSFindService_Request
