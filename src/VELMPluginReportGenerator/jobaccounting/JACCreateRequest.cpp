#include "VELMPluginReportGenerator/jobaccounting/JACCreateRequest.h"

namespace {

const QString byUser = QStringLiteral("User");
const QString byDevice = QStringLiteral("Device");

QString plainGrouping(const QString& groupBy) {
    if (groupBy == QLatin1String("UserGroupUser"))
        return byUser;
    if (groupBy == QLatin1String("UserGroupDevice"))
        return byDevice;
    return groupBy;
}

template <class List> std::optional<List> idList(const QStringList& ids, QList<quint64> List::*to) {
    if (ids.isEmpty())
        return std::nullopt;
    List list;
    for (const QString& id : ids)
        (list.*to).append(id.toULongLong()); // not a number: 0
    return list;
}

} // namespace

RGPCreateJACReportRequest makeCreateRequest(const JACReportInputs& inputs) {
    using namespace RGPCreateJACReport_Request;
    RGPCreateJACReportRequest request;
    request.Users = idList(inputs.userIds, &c_Users::UserID);
    request.Devices = idList(inputs.deviceIds, &c_Devices::DeviceID);
    request.UserGroups = idList(inputs.userGroupIds, &c_UserGroups::GroupID);
    request.ReportType = inputs.reportType;
    request.StartTime = inputs.start;
    request.EndTime = inputs.end;
    request.GroupBy = plainGrouping(inputs.groupBy);
    if (request.GroupBy == byUser)
        request.SortUsersBy = inputs.sortBy;
    else
        request.SortDevicesBy = inputs.sortBy;
    return request;
}
