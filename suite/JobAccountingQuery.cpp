#include "JobAccountingQuery.h"

#include <QHash>

namespace {

using Kind = JobAccountingQuery::Kind;
using SortKey = JobAccountingQuery::SortKey;

struct TypeRow {
    Kind kind;
    bool byUser;
};

const QHash<QString, TypeRow>& reportTypes() {
    static const QHash<QString, TypeRow> types = {
        {QStringLiteral("RT_JAC_USER_BASIC"), {Kind::Basic, true}},
        {QStringLiteral("RT_JAC_DEVICE_BASIC"), {Kind::Basic, false}},
        {QStringLiteral("RT_JAC_DEVICE_PRINT_DETAILS"), {Kind::Print, false}},
        {QStringLiteral("RT_JAC_USER_PRINT_DETAILS"), {Kind::Print, true}},
        {QStringLiteral("RT_JAC_USER_COPY_DETAILS"), {Kind::Copy, true}},
        {QStringLiteral("RT_JAC_DEVICE_COPY_DETAILS"), {Kind::Copy, false}},
        {QStringLiteral("RT_JAC_USER_FAX_DETAILS"), {Kind::Fax, true}},
        {QStringLiteral("RT_JAC_DEVICE_FAX_DETAILS"), {Kind::Fax, false}},
        {QStringLiteral("RT_JAC_USER_SCAN_DETAILS"), {Kind::Scan, true}},
        {QStringLiteral("RT_JAC_DEVICE_SCAN_DETAILS"), {Kind::Scan, false}},
    };
    return types;
}

const QHash<QString, SortKey>& sortKeys() {
    static const QHash<QString, SortKey> keys = {
        {QStringLiteral("SB_IPADDR"), SortKey::IpAddress},
        {QStringLiteral("SB_DEVICE_NAME"), SortKey::DeviceName},
        {QStringLiteral("SB_MODEL_NAME"), SortKey::ModelName},
        {QStringLiteral("SB_SERIAL_NUM"), SortKey::Serial},
        {QStringLiteral("SB_MAC_ADDR"), SortKey::MacAddress},
        {QStringLiteral("SB_LOCATION"), SortKey::Location},
        {QStringLiteral("SB_USER_NAME"), SortKey::UserName},
        {QStringLiteral("SB_USER_LOGIN"), SortKey::UserLogin},
    };
    return keys;
}

// Grouping as asked; the user-group groupings group by their members; anything else by the
// report type's own grouping.
bool groupsByUser(const QString& groupBy, bool typeByUser) {
    if (groupBy == QLatin1String("User") || groupBy == QLatin1String("UserGroupUser"))
        return true;
    if (groupBy == QLatin1String("Device") || groupBy == QLatin1String("UserGroupDevice"))
        return false;
    return typeByUser;
}

// An id of 0 names nothing; leaving it out would widen the selection instead.
template <class List>
QString idsRefusal(const std::optional<List>& list, QList<quint64> List::*ids, const char* name,
                   QList<quint64>& into) {
    if (!list)
        return {};
    into = (*list).*ids;
    if (into.contains(0))
        return QStringLiteral("%1 0 names nothing; the selection is refused")
            .arg(QLatin1String(name));
    return {};
}

} // namespace

std::variant<JobAccountingQuery, QString>
JobAccountingQuery::check(const RGPCreateJACReportRequest& request) {
    using namespace RGPCreateJACReport_Request;
    const auto type = reportTypes().constFind(request.ReportType);
    if (type == reportTypes().cend())
        return QStringLiteral("Unknown job accounting report type: %1").arg(request.ReportType);
    JobAccountingQuery query;
    query.kind = type->kind;
    query.byUser = groupsByUser(request.GroupBy, type->byUser);
    query.start = request.StartTime;
    query.end = request.EndTime;
    if (query.end < query.start)
        return QStringLiteral("EndTime lies before StartTime");
    for (const QString& refusal :
         {idsRefusal(request.Users, &c_Users::UserID, "UserID", query.users),
          idsRefusal(request.Devices, &c_Devices::DeviceID, "DeviceID", query.devices),
          idsRefusal(request.UserGroups, &c_UserGroups::GroupID, "GroupID", query.userGroups)})
        if (!refusal.isEmpty())
            return refusal;
    const QString sortBy = request.SortUsersBy.value_or(request.SortDevicesBy.value_or(QString()));
    if (!sortBy.isEmpty()) {
        const auto key = sortKeys().constFind(sortBy);
        if (key == sortKeys().cend())
            return QStringLiteral("Unknown sort key: %1").arg(sortBy);
        query.sort = *key;
    }
    return query;
}
