#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

#include <QString>

// The Body of a report as a person reads it: each device with its columns and properties,
// and every group of rows as an aligned table.
QString formatReportBody(const dom::Element* body);
