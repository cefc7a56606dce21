#pragma once

#include "VELMPluginReportGenerator/jobaccounting/messages/JACPackets.h"

#include <QString>
#include <QStringList>

// What a job accounting report asks the plug-in for.
struct JACReportInputs {
    QString reportType; // the report type's name
    qint64 start = 0;
    qint64 end = 0;
    QString groupBy; // the definition's GroupBy text
    QString sortBy;  // the definition's SortBy text
    QStringList deviceIds, userIds, userGroupIds;
};

// The create request: ids as unsigned numbers (text that is not one travels as 0), an id list
// left out when empty, the user-group groupings sent as their plain grouping, and SortBy sent
// as the sort key of that grouping.
RGPCreateJACReportRequest makeCreateRequest(const JACReportInputs& inputs);
