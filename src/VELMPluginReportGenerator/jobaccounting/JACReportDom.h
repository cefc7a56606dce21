#pragma once

#include "VELMPluginReportGenerator/jobaccounting/messages/JACReport.h"

#include "VXNServiceFramework/dom/DomTypes.h"

// Appends the Report element, as the result answer carries it, with all it holds below
// `parent`: built straight from the read answer, element by element, in the order and with the
// names the answer had on the wire (no text between elements).
void appendJACReport(dom::Element* parent, const JACReport::c_Report& report);
