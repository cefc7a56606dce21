#pragma once

struct ReportBuild;

// Usage and alert counts by period: tables (per device after the device list, or all rows
// together for a summary) or a chart.
void buildCounterReport(ReportBuild& build);
