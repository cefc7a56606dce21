#include "JobAccountingReports.h"

#include "Sqlite.h"

#include <QHash>
#include <QHostAddress>
#include <QMap>
#include <algorithm>
#include <vector>

namespace {

using namespace JACRecordData;
using namespace JACReport;
using Query = JobAccountingQuery;
using SortKey = Query::SortKey;

// One counter: the jobs it sums the pages of, and the field it fills.
template <class Data> struct CounterColumn {
    const char* jobs;
    Counter Data::*field;
};

constexpr CounterColumn<c_BasicRecordData> basicColumns[] = {
    {"JobType = 'print' AND ColorMode = 'mono'", &c_BasicRecordData::PrintedBW},
    {"JobType = 'print' AND ColorMode = 'color'", &c_BasicRecordData::PrintedColor},
    {"JobType = 'copy' AND ColorMode = 'mono'", &c_BasicRecordData::CopiedBW},
    {"JobType = 'copy' AND ColorMode = 'color'", &c_BasicRecordData::CopiedColor},
    {"JobType = 'fax'", &c_BasicRecordData::FaxTx},
    {"JobType = 'scan'", &c_BasicRecordData::Scan},
};

// Print and copy details, within the jobs of their type.
constexpr CounterColumn<c_DetailsRecordData> detailsColumns[] = {
    {"PrintMode = 'simplex' AND ColorMode = 'mono'", &c_DetailsRecordData::SimplexMono},
    {"PrintMode = 'simplex' AND ColorMode = 'color'", &c_DetailsRecordData::SimplexColor},
    {"PrintMode = 'duplex' AND ColorMode = 'mono'", &c_DetailsRecordData::DuplexMono},
    {"PrintMode = 'duplex' AND ColorMode = 'color'", &c_DetailsRecordData::DuplexColor},
    {"PaperSize = 'A4'", &c_DetailsRecordData::PaperA4},
    {"PaperSize = 'Letter'", &c_DetailsRecordData::PaperLetter},
    {"PaperSize = 'Legal'", &c_DetailsRecordData::PaperLegal},
    {"COALESCE(PaperSize, '') NOT IN ('A4', 'Letter', 'Legal')", &c_DetailsRecordData::PaperOthers},
    {"Staple <> 0", &c_DetailsRecordData::Staple},
};

constexpr CounterColumn<c_FaxDetailsRecordData> faxColumns[] = {
    {"ColorMode = 'mono'", &c_FaxDetailsRecordData::MonoTx},
    {"ColorMode = 'color'", &c_FaxDetailsRecordData::ColorTx},
};

constexpr CounterColumn<c_ScanDetailsRecordData> scanColumns[] = {
    {"PrintMode = 'simplex' AND ColorMode = 'mono'", &c_ScanDetailsRecordData::SimplexMono},
    {"PrintMode = 'simplex' AND ColorMode = 'color'", &c_ScanDetailsRecordData::SimplexColor},
    {"PrintMode = 'duplex' AND ColorMode = 'mono'", &c_ScanDetailsRecordData::DuplexMono},
    {"PrintMode = 'duplex' AND ColorMode = 'color'", &c_ScanDetailsRecordData::DuplexColor},
    {"Destination = 'Email'", &c_ScanDetailsRecordData::Email},
    {"Destination = 'FTP'", &c_ScanDetailsRecordData::FTP},
    {"Destination = 'SMB'", &c_ScanDetailsRecordData::SMB},
    {"Destination = 'Application'", &c_ScanDetailsRecordData::Application},
    {"Destination = 'USB'", &c_ScanDetailsRecordData::USB},
};

struct UserInfo {
    QString login, name, group;
};

struct DeviceInfo {
    QString hostName, ip, location, model, mac, serial;
};

struct Directory {
    QHash<qint64, UserInfo> users;
    QHash<qint64, DeviceInfo> devices;
};

// The page sums of one user on one device, in counter order.
struct Usage {
    qint64 user = 0;
    qint64 device = 0;
    std::vector<qint64> sums;
};

// Device property ids of the values a device record shows.
constexpr int hostNameProperty = 3, ipProperty = 4, macProperty = 5, locationProperty = 7,
              modelProperty = 8, serialProperty = 10;

Directory readDirectory(SqliteConnection& db) {
    Directory directory;
    SqliteStatement users(db, QStringLiteral("SELECT U.UserID, U.Login, U.UserName, G.Name FROM "
                                             "Users U LEFT JOIN UserGroups G ON "
                                             "G.UserGroupID = U.R_UserGroupID"));
    while (users.step())
        directory.users.insert(users.integer(0), {users.text(1), users.text(2), users.text(3)});
    SqliteStatement values(
        db, QStringLiteral("SELECT R_DeviceID, R_PropertyID, Value FROM DevicePropertyValues "
                           "WHERE R_PropertyID IN (3, 4, 5, 7, 8, 10) AND R_ColumnID = 0 AND "
                           "RowIndex = 0"));
    while (values.step()) {
        DeviceInfo& device = directory.devices[values.integer(0)];
        const QString value = values.text(2);
        switch (values.integer(1)) {
        case hostNameProperty:
            device.hostName = value;
            break;
        case ipProperty:
            device.ip = value;
            break;
        case macProperty:
            device.mac = value;
            break;
        case locationProperty:
            device.location = value;
            break;
        case modelProperty:
            device.model = value;
            break;
        case serialProperty:
            device.serial = value;
            break;
        }
    }
    return directory;
}

QString idList(const QList<quint64>& ids) {
    QStringList texts;
    texts.reserve(ids.size());
    for (const quint64 id : ids)
        texts.append(QString::number(id));
    return texts.join(QLatin1Char(','));
}

// Only checked numbers and the constant texts above go into the statement.
template <class Data, std::size_t N>
QString usageSql(const Query& query, const char* jobType, const CounterColumn<Data> (&columns)[N]) {
    QString sql = QStringLiteral("SELECT R_UserID, R_DeviceID");
    for (const auto& column : columns)
        sql += QStringLiteral(", SUM(CASE WHEN %1 THEN Pages ELSE 0 END)")
                   .arg(QLatin1String(column.jobs));
    sql += QStringLiteral(" FROM JobLog WHERE JobTime >= ?1 AND JobTime <= ?2");
    if (jobType)
        sql += QStringLiteral(" AND JobType = '%1'").arg(QLatin1String(jobType));
    if (!query.users.isEmpty())
        sql += QStringLiteral(" AND R_UserID IN (%1)").arg(idList(query.users));
    if (!query.devices.isEmpty())
        sql += QStringLiteral(" AND R_DeviceID IN (%1)").arg(idList(query.devices));
    if (!query.userGroups.isEmpty())
        sql += QStringLiteral(" AND R_UserID IN (SELECT UserID FROM Users WHERE R_UserGroupID IN "
                              "(%1))")
                   .arg(idList(query.userGroups));
    sql += QStringLiteral(" GROUP BY R_UserID, R_DeviceID");
    return sql;
}

template <class Data, std::size_t N>
std::vector<Usage> readUsage(SqliteConnection& db, const Query& query, const char* jobType,
                             const CounterColumn<Data> (&columns)[N]) {
    SqliteStatement statement(db, usageSql(query, jobType, columns));
    statement.bind(1, query.start).bind(2, query.end);
    std::vector<Usage> usage;
    while (statement.step()) {
        Usage row{statement.integer(0), statement.integer(1), {}};
        row.sums.reserve(N);
        for (std::size_t i = 0; i < N; ++i)
            row.sums.push_back(statement.integer(int(i) + 2));
        usage.push_back(std::move(row));
    }
    return usage;
}

template <class Data, std::size_t N>
Data recordData(const Usage& usage, const CounterColumn<Data> (&columns)[N]) {
    Data data;
    for (std::size_t i = 0; i < N; ++i)
        data.*(columns[i].field) = usage.sums[i];
    return data;
}

// Orders of users and devices by the sort key; a key of the other side leaves the default
// order (users by login, devices by id).
QString userSortText(const UserInfo& user, SortKey key) {
    return key == SortKey::UserName ? user.name : user.login;
}

QString deviceSortText(const DeviceInfo& device, SortKey key) {
    switch (key) {
    case SortKey::DeviceName:
        return device.hostName;
    case SortKey::ModelName:
        return device.model;
    case SortKey::Serial:
        return device.serial;
    case SortKey::MacAddress:
        return device.mac;
    case SortKey::Location:
        return device.location;
    default:
        return {};
    }
}

struct DeviceOrder {
    const Directory& directory;
    SortKey key;

    bool operator()(qint64 a, qint64 b) const {
        const DeviceInfo& x = directory.devices[a];
        const DeviceInfo& y = directory.devices[b];
        if (key == SortKey::IpAddress) {
            const quint32 ipA = QHostAddress(x.ip).toIPv4Address();
            const quint32 ipB = QHostAddress(y.ip).toIPv4Address();
            if (ipA != ipB)
                return ipA < ipB;
        } else if (const int c = deviceSortText(x, key).compare(deviceSortText(y, key)); c != 0) {
            return c < 0;
        }
        return a < b;
    }
};

struct UserOrder {
    const Directory& directory;
    SortKey key;

    bool operator()(qint64 a, qint64 b) const {
        const int c =
            userSortText(directory.users[a], key).compare(userSortText(directory.users[b], key));
        return c != 0 ? c < 0 : a < b;
    }
};

// Groups the usage by `outer` (user or device id), both levels in the given orders.
template <class OuterOrder, class InnerOrder>
QList<QPair<qint64, std::vector<const Usage*>>>
grouped(const std::vector<Usage>& usage, qint64 Usage::*outer, OuterOrder outerLess,
        qint64 Usage::*inner, InnerOrder innerLess) {
    QMap<qint64, std::vector<const Usage*>> groups;
    for (const Usage& row : usage)
        groups[row.*outer].push_back(&row);
    QList<QPair<qint64, std::vector<const Usage*>>> ordered;
    for (auto it = groups.begin(); it != groups.end(); ++it) {
        std::sort(it->begin(), it->end(),
                  [&](const Usage* a, const Usage* b) { return innerLess(a->*inner, b->*inner); });
        ordered.append({it.key(), std::move(*it)});
    }
    std::sort(ordered.begin(), ordered.end(),
              [&](const auto& a, const auto& b) { return outerLess(a.first, b.first); });
    return ordered;
}

template <class Kind, std::size_t N>
c_Details<Kind> byUser(const std::vector<Usage>& usage, const Directory& directory, SortKey key,
                       const CounterColumn<typename Kind::Data> (&columns)[N]) {
    c_ByUser<Kind> list;
    for (const auto& [userId, rows] : grouped(usage, &Usage::user, UserOrder{directory, key},
                                              &Usage::device, DeviceOrder{directory, key})) {
        const UserInfo user = directory.users.value(userId);
        c_User<Kind> entry{user.login, user.name, user.group, {}};
        for (const Usage* row : rows) {
            const DeviceInfo device = directory.devices.value(row->device);
            entry.Record.append(
                {device.model, device.ip, device.serial, recordData(*row, columns)});
        }
        list.User.append(std::move(entry));
    }
    return {std::move(list), std::nullopt};
}

template <class Kind, std::size_t N>
c_Details<Kind> byDevice(const std::vector<Usage>& usage, const Directory& directory, SortKey key,
                         const CounterColumn<typename Kind::Data> (&columns)[N]) {
    c_ByDevice<Kind> list;
    for (const auto& [deviceId, rows] : grouped(usage, &Usage::device, DeviceOrder{directory, key},
                                                &Usage::user, UserOrder{directory, key})) {
        const DeviceInfo device = directory.devices.value(deviceId);
        c_Device<Kind> entry{device.hostName, device.ip, device.location, device.model, device.mac,
                             device.serial,   {}};
        for (const Usage* row : rows) {
            const UserInfo user = directory.users.value(row->user);
            entry.Record.append({user.login, user.name, user.group, recordData(*row, columns)});
        }
        list.Device.append(std::move(entry));
    }
    return {std::nullopt, std::move(list)};
}

template <class Kind, std::size_t N>
c_Report compute(SqliteConnection& db, const Query& query, const char* jobType,
                 std::optional<c_Details<Kind>> c_Report::*slot,
                 const CounterColumn<typename Kind::Data> (&columns)[N],
                 const std::function<void(int)>& progress) {
    const Directory directory = readDirectory(db);
    progress(20);
    const std::vector<Usage> usage = readUsage(db, query, jobType, columns);
    progress(70);
    c_Report report;
    report.*slot = query.byUser ? byUser<Kind>(usage, directory, query.sort, columns)
                                : byDevice<Kind>(usage, directory, query.sort, columns);
    progress(90);
    return report;
}

} // namespace

c_Report computeJobAccountingReport(SqliteConnection& db, const Query& query,
                                    const std::function<void(int)>& progress) {
    switch (query.kind) {
    case Query::Kind::Basic:
        return compute<BasicKind>(db, query, nullptr, &c_Report::Basic, basicColumns, progress);
    case Query::Kind::Print:
        return compute<PrintKind>(db, query, "print", &c_Report::PrintDetails, detailsColumns,
                                  progress);
    case Query::Kind::Copy:
        return compute<CopyKind>(db, query, "copy", &c_Report::CopyDetails, detailsColumns,
                                 progress);
    case Query::Kind::Fax:
        return compute<FaxKind>(db, query, "fax", &c_Report::FaxDetails, faxColumns, progress);
    case Query::Kind::Scan:
        return compute<ScanKind>(db, query, "scan", &c_Report::ScanDetails, scanColumns, progress);
    }
    return {};
}
