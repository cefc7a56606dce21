#pragma once

#include "VELMPluginReportGenerator/builders/ReportDocument.h"
#include "peers/CmdDBSProcessQueryResponse.h"

#include <QHash>
#include <QList>
#include <QString>

struct ReportBuild;

enum class RowPlacement {
    AllTogether, // one Report in Body with every row
    PerDevice,   // one Report in each Device element of the device list
};

// Appends one child element per column of `row` (in column name order), except `leaveOut`.
void appendColumns(ReportDocument& document, ReportDocument::DOMElement* element, const DBSRow& row,
                   const QString& leaveOut);

// Runs the report's script and places its rows.
void buildRowReport(ReportBuild& build, RowPlacement placement);

// The rows of every result set of `answer`, grouped by the value of `column`, each group in
// answer order. One pass over the answer, so placing rows for n devices stays linear.
QHash<QString, QList<const DBSRow*>> rowsByColumn(const CmdDBSProcessQueryResponse& answer,
                                                  const QString& column);
