#pragma once

#include <QString>

struct ReportBuild;

// The device list of a report: one Device element per device with its name, address, model
// and serial columns, in the order the report's SortBy asks for.
void buildDeviceList(ReportBuild& build);

// The statement of the device list for devices `ids` (joined with ",") ordered by `orderBy`.
QString deviceListQuery(const QString& ids, const QString& orderBy);
