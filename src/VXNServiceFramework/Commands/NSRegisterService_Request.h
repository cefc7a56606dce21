#pragma once

#include "xmlbinding/binding.h"

namespace NSRegisterService_Request {

// One command name served at the URL.
struct c_anon_method {
    static const xmlb::type_desc xml_type;

    c_anon_method() = default;
    c_anon_method(QString name) : value(std::move(name)) {}

    QString value;
};

struct c_VXNRequest {
    static constexpr char xml_name[] = "VXNRequest";
    static const xmlb::type_desc xml_type;

    QString command = QStringLiteral("NSRegisterService");
    QString URL;
    QList<c_anon_method> method; // at least one
};

} // namespace NSRegisterService_Request
