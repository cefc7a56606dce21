#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

#include <QString>

// Whether a Report element of a body is a job accounting report (Basic, PrintDetails, ...).
bool isJobAccountingReport(const dom::Element* report);

// Each user (or device) with a table of its records: the device (or user) and the counters.
QString formatJobAccountingReport(const dom::Element* report);
