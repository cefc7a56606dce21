#pragma once

#include "VELMPluginReportGenerator/queries/ReportQueryParams.h"

// The statement tail that lists the selected device ids as column R_DevID; it ends with its
// own ";", closing the INSERT or CREATE in front of it.
QString deviceSelectionSql(SelectionKind kind, const QString& selectionIds);
