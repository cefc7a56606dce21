#include "DeviceDirectory.h"

#include "DeviceProperties.h"
#include "Sqlite.h"

#include <QSet>
#include <memory>

namespace {
std::unique_ptr<SqliteConnection> open(const QString& path, int busyTimeoutMs) {
    auto db = std::make_unique<SqliteConnection>(path, false);
    sqlite3_busy_timeout(db->handle(), busyTimeoutMs);
    return db;
}

QList<int> selectDevices(SqliteConnection& db, const QStringList& groups,
                         const QList<CmdDMSGetDeviceListRequest::DeviceFilter>& filters) {
    QList<int> ids;
    QSet<int> seen;
    const auto add = [&](int id) {
        if (!seen.contains(id)) {
            seen.insert(id);
            ids.append(id);
        }
    };
    if (groups.isEmpty() && filters.isEmpty()) {
        SqliteStatement all(db, QStringLiteral("SELECT DeviceID FROM Devices ORDER BY DeviceID"));
        while (all.step())
            add(int(all.integer(0)));
        return ids;
    }
    SqliteStatement members(db, QStringLiteral("SELECT R_DeviceID FROM DeviceInGroup WHERE "
                                               "R_GroupID = ? ORDER BY R_DeviceID"));
    for (const QString& group : groups) {
        bool ok = false;
        const int id = group.toInt(&ok, 10);
        if (!ok)
            continue;
        members.bind(1, id);
        while (members.step())
            add(int(members.integer(0)));
        members.reset();
    }
    SqliteStatement exists(db, QStringLiteral("SELECT 1 FROM Devices WHERE DeviceID = ?"));
    for (const auto& filter : filters) {
        if (filter.id != -1) {
            exists.bind(1, filter.id);
            if (exists.step())
                add(filter.id);
            exists.reset();
            continue;
        }
        if (filter.pairs.isEmpty())
            continue;
        // Devices whose current simple properties hold every given value.
        QString sql = QStringLiteral("SELECT DeviceID FROM Devices d WHERE 1");
        for (qsizetype i = 0; i < filter.pairs.size(); ++i)
            sql += QStringLiteral(" AND EXISTS (SELECT 1 FROM DevicePropertyValues v JOIN "
                                  "DevicePropertyDescr p ON p.PropertyID = v.R_PropertyID "
                                  "WHERE v.R_DeviceID = d.DeviceID AND v.R_ColumnID = 0 AND "
                                  "p.Name = ? AND v.Value = ?)");
        SqliteStatement match(db, sql + QStringLiteral(" ORDER BY DeviceID"));
        int index = 0;
        for (const auto& [name, value] : filter.pairs) {
            match.bind(index + 1, name).bind(index + 2, value);
            index += 2;
        }
        while (match.step())
            add(int(match.integer(0)));
    }
    return ids;
}
} // namespace

DeviceDirectory::DeviceDirectory(QString path, int busyTimeoutMs)
    : m_path(std::move(path)), m_busyTimeoutMs(busyTimeoutMs) {}

QList<DeviceDirectory::Device>
DeviceDirectory::devices(const QStringList& groups,
                         const QList<CmdDMSGetDeviceListRequest::DeviceFilter>& filters,
                         const QStringList& propertyNames) const {
    const auto db = open(m_path, m_busyTimeoutMs);
    const QList<int> ids = selectDevices(*db, groups, filters);
    const QSet<QString> wanted(propertyNames.begin(), propertyNames.end());

    SqliteStatement values(
        *db,
        QStringLiteral("SELECT p.Name, v.R_PropertyID, v.R_ColumnID, c.Name, v.RowIndex, v.Value "
                       "FROM DevicePropertyValues v JOIN DevicePropertyDescr p ON p.PropertyID = "
                       "v.R_PropertyID "
                       "LEFT JOIN PropertyColumnDescr c ON c.R_PropertyID = v.R_PropertyID AND "
                       "c.ColumnID = v.R_ColumnID WHERE v.R_DeviceID = ? "
                       "ORDER BY v.R_PropertyID, v.RowIndex, v.R_ColumnID"));
    QList<Device> devices;
    for (const int id : ids) {
        Device device;
        device.id = id;
        values.bind(1, id);
        int lastTableRow = -1;
        QString lastTable;
        while (values.step()) {
            const QString property = values.text(0);
            if (!wanted.isEmpty() && !wanted.contains(property))
                continue;
            if (!DeviceProperty::isTable(int(values.integer(1)))) {
                device.properties.insert(property, values.text(5));
                continue;
            }
            auto& rows = device.tables[property];
            const int row = int(values.integer(4));
            if (property != lastTable || row != lastTableRow)
                rows.append(CmdDMSGetDeviceListResponse::TableRow());
            lastTable = property;
            lastTableRow = row;
            rows.last().insert(values.text(3), values.text(5));
        }
        values.reset();
        devices.append(std::move(device));
    }
    return devices;
}

QMap<QString, QString> DeviceDirectory::settings(const QStringList& names) const {
    const auto db = open(m_path, m_busyTimeoutMs);
    QMap<QString, QString> result;
    if (names.isEmpty()) {
        SqliteStatement all(*db, QStringLiteral("SELECT Name, Value FROM Settings"));
        while (all.step())
            result.insert(all.text(0), all.text(1));
        return result;
    }
    SqliteStatement one(*db, QStringLiteral("SELECT Value FROM Settings WHERE Name = ?"));
    for (const QString& name : names) {
        one.bind(1, name);
        if (one.step())
            result.insert(name, one.text(0));
        one.reset();
    }
    return result;
}
