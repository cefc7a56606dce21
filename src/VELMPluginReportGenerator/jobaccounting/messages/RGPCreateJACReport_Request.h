#pragma once

#include "xmlbinding/binding.h"

#include <QList>
#include <optional>

// Asks the plug-in to compute a job accounting report; the id lists are left out when empty.
namespace RGPCreateJACReport_Request {

struct c_Users {
    static const xmlb::type_desc xml_type;
    QList<quint64> UserID;
};

struct c_Devices {
    static const xmlb::type_desc xml_type;
    QList<quint64> DeviceID;
};

struct c_UserGroups {
    static const xmlb::type_desc xml_type;
    QList<quint64> GroupID;
};

struct c_VXNRequest {
    static constexpr char xml_name[] = "VXNRequest";
    static const xmlb::type_desc xml_type;

    QString command = QStringLiteral("RGPCreateJACReport");
    std::optional<c_Users> Users;
    std::optional<c_Devices> Devices;
    std::optional<c_UserGroups> UserGroups;
    QString ReportType;
    qint64 StartTime = 0;
    qint64 EndTime = 0;
    QString GroupBy;
    // Exactly one of the two is sent.
    std::optional<QString> SortUsersBy;
    std::optional<QString> SortDevicesBy;
};

} // namespace RGPCreateJACReport_Request
