#include "VELMPluginReportGenerator/report/DeviceSelection.h"

#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "VELMPluginReportGenerator/report/ReportDatabase.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"
#include "VELMPluginReportGenerator/report/VELMReportException.h"

#include "VXNServiceFramework/packets/ResultCodes.h"

using namespace reportRegistry;

namespace {

const QString allDevicesQuery = QStringLiteral("Select DeviceID from devices");
const QString groupDevicesQuery = QStringLiteral(
    "Select distinct r_DeviceID as DeviceID from DeviceInGroup where r_GroupID in (%1)");
const QString modelDevicesQuery =
    QStringLiteral("Select distinct R_DeviceID as DeviceID from DevicePropertyValues where "
                   "r_PropertyID = 8 and value in (%1)");

bool isJobAccountingType(int type) {
    return type >= RT_JAC_USER_BASIC && type <= RT_JAC_DEVICE_SCAN_DETAILS;
}

// Types whose selection names devices and users directly, without a query.
bool takesSelectionAsWritten(std::optional<int> type) {
    return type &&
           (*type == RT_DEVICE_LIST || *type == RT_CONSUMABLE_TONER || isJobAccountingType(*type));
}

// Whether the written device ids are the report's devices. A job accounting report that names
// device groups or models instead has their devices looked up as every other report does: it
// would otherwise count every device under that heading.
bool takesDevicesAsWritten(std::optional<int> type, const ReportSelection& written) {
    if (!takesSelectionAsWritten(type))
        return false;
    const bool byGroupOrModel =
        written.deviceIds.isEmpty() && (!written.groupIds.isEmpty() || !written.models.isEmpty());
    return !(byGroupOrModel && isJobAccountingType(*type));
}

// The ids in canonical decimal form, each once in the order first written (a device named twice
// would otherwise get its rows twice); the first one that is not a decimal id goes to `bad`.
QStringList canonicalIds(const QStringList& ids, QString& bad) {
    QStringList result;
    for (const QString& id : ids) {
        if (const std::optional<QString> value = decimalId(id))
            result.append(*value);
        else if (bad.isNull())
            bad = id;
    }
    result.removeDuplicates();
    return result;
}

// The selection with every id checked and in canonical form; `bad` names the first id that
// cannot go into SQL.
ReportSelection checkedSelection(const ReportSelection& written, QString& bad) {
    ReportSelection checked = written;
    for (QStringList* ids :
         {&checked.deviceIds, &checked.groupIds, &checked.userIds, &checked.userGroupIds})
        *ids = canonicalIds(*ids, bad);
    return checked;
}

QStringList quoted(const QStringList& models) {
    QStringList result;
    for (const QString& model : models)
        result.append(QLatin1Char('\'') + model + QLatin1Char('\''));
    return result;
}

QStringList sqlQuoted(const QStringList& models) {
    QStringList result;
    for (const QString& model : models)
        result.append(quotedSqlText(model));
    return result;
}

QString resolutionQuery(const DeviceSelection& selection, const ReportSelection& written) {
    switch (selection.kind) {
    case DeviceSelection::Groups:
        return groupDevicesQuery.arg(selection.values.join(QLatin1Char(',')));
    case DeviceSelection::Models:
        return modelDevicesQuery.arg(sqlQuoted(written.models).join(QLatin1Char(',')));
    default:
        return allDevicesQuery;
    }
}

QStringList deviceIdsFrom(const DBSResultSet& set) {
    QStringList ids;
    for (const DBSRow& row : set.rows) {
        const QString id = row.value(u"DeviceID");
        if (!id.isEmpty())
            ids.append(id);
    }
    return ids;
}

} // namespace

DeviceSelection DeviceSelection::resolve(const ReportSelection& asWritten,
                                         std::optional<int> reportType,
                                         const ReportDatabase& database) {
    DeviceSelection selection;
    QString unsafe;
    const ReportSelection written = checkedSelection(asWritten, unsafe);
    if (!unsafe.isNull())
        selection.unsafeReason =
            QStringLiteral("selection id \"%1\" is not a decimal integer").arg(unsafe);

    if (takesSelectionAsWritten(reportType)) {
        selection.userIds = written.userIds;
        selection.userGroupIds = written.userGroupIds;
    }
    if (takesDevicesAsWritten(reportType, written)) {
        // Naming no device, these reports cover them all.
        selection.kind = written.deviceIds.isEmpty() ? AllDevices : Devices;
        selection.values = selection.deviceIds = written.deviceIds;
        return selection;
    }
    if (!written.deviceIds.isEmpty()) {
        selection.kind = Devices;
        selection.values = selection.deviceIds = written.deviceIds;
        return selection;
    }
    if (!written.groupIds.isEmpty()) {
        selection.kind = Groups;
        selection.values = written.groupIds;
    } else if (!written.models.isEmpty()) {
        selection.kind = Models;
        selection.values = quoted(written.models);
    }
    if (!selection.isSafe())
        return selection;

    const auto answer = database.run(resolutionQuery(selection, written));
    if (answer->result() != ResultCode::Ok) {
        selection.unresolvedReason =
            QStringLiteral("the devices of the selection could not be read: %1 %2")
                .arg(answer->result())
                .arg(answer->details());
        return selection;
    }
    const auto& sets = answer->resultSets();
    if (sets.isEmpty() || sets.first().rows.isEmpty())
        throw VELMReportException(ReportResult::NoDeviceInGroup, ReportResult::noDeviceInGroupText);
    selection.deviceIds = deviceIdsFrom(sets.first());
    return selection;
}
