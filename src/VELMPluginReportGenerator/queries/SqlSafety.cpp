#include "VELMPluginReportGenerator/queries/SqlSafety.h"

#include <array>

namespace {

// Ids are database row ids; more digits than a signed 64-bit value holds are refused.
constexpr int maxIdDigits = 18;

struct SortKey {
    const char* key;
    const char* column;
};

// Columns of the device list query, as the query names them.
constexpr std::array<const char*, 8> deviceListColumns{
    "DeviceID", "HostName", "IP", "MAC", "Location", "ModelName", "Manufacturer", "Serial"};

constexpr std::array<SortKey, 6> deviceSortKeys{{
    {"SB_IPADDR", "IP"},
    {"SB_DEVICE_NAME", "HostName"},
    {"SB_MODEL_NAME", "ModelName"},
    {"SB_SERIAL_NUM", "Serial"},
    {"SB_MAC_ADDR", "MAC"},
    {"SB_LOCATION", "Location"},
}};

std::optional<QString> deviceListColumn(const QString& name) {
    for (const char* column : deviceListColumns) {
        if (name.compare(QLatin1String(column), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(column);
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> decimalId(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > maxIdDigits)
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    return QString::number(digits.toLongLong());
}

std::optional<QString> decimalIdList(const QStringList& ids) {
    QStringList checked;
    checked.reserve(ids.size());
    for (const auto& id : ids) {
        auto value = decimalId(id);
        if (!value)
            return std::nullopt;
        checked.append(*value);
    }
    return checked.join(QLatin1Char(','));
}

std::optional<DeviceListOrder> deviceListOrder(const QString& sortBy) {
    for (const auto& key : deviceSortKeys) {
        if (sortBy == QLatin1String(key.key)) {
            const QString column = QString::fromLatin1(key.column);
            return DeviceListOrder{column, column == QLatin1String("IP")};
        }
    }
    const QStringList words = sortBy.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty() || words.size() > 2)
        return std::nullopt;
    const auto column = deviceListColumn(words[0]);
    if (!column)
        return std::nullopt;
    if (words.size() == 1)
        return DeviceListOrder{*column, *column == QLatin1String("IP")};
    const QString direction = words[1].toUpper();
    if (direction != QLatin1String("ASC") && direction != QLatin1String("DESC"))
        return std::nullopt;
    return DeviceListOrder{*column + QLatin1Char(' ') + direction, false};
}

QStringList splitSqlStatements(const QString& script) {
    QStringList statements;
    for (const auto& piece : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (!piece.trimmed().isEmpty())
            statements.append(piece);
    }
    return statements;
}
