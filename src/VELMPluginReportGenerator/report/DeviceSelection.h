#pragma once

#include "VELMPluginReportGenerator/report/ReportDefinition.h"

#include <QString>
#include <QStringList>
#include <optional>

class ReportDatabase;

// Which devices a report covers, resolved once when the report is created.
struct DeviceSelection {
    enum Kind : int { AllDevices = 0, Devices = 1, Groups = 2, Models = 3 };

    Kind kind = AllDevices;
    // The values of the kind used: device ids, group ids or model names in single quotes.
    QStringList values;
    QStringList deviceIds;
    QStringList userIds;
    QStringList userGroupIds;
    // Set when a value is not fit to go into SQL; the report then sends no statement at all.
    QString unsafeReason;

    // Set when the database did not answer the query for the selection's devices: the report
    // would otherwise run on no device and end as an empty success.
    QString unresolvedReason;

    bool isSafe() const { return unsafeReason.isEmpty(); }
    bool isResolved() const { return unresolvedReason.isEmpty(); }

    // Reads the selection and, for all devices, groups and models, asks the database for the
    // device ids. Throws VELMReportException (no device in the selected group) when that query
    // finds no device.
    static DeviceSelection resolve(const ReportSelection& selection, std::optional<int> reportType,
                                   const ReportDatabase& database);
};
