#pragma once

struct ReportBuild;

// One Device element per device with its current property values: simple properties as
// elements with text, table properties as elements holding one RowIndex per table row.
void buildDevicePropertyReport(ReportBuild& build);
