#pragma once

#include "VELMPluginReportGenerator/templates/ReportTemplate.h"

#include <QList>
#include <optional>

class PacketDOM;

// The XML form of a template inside a DOM-family message: Name, Report, Email and Schedule as
// children of the envelope root, optionally with <Template ID="id"/>.
namespace templateXml {

enum class IdPlacement { None, BeforeName, AfterName };

// Appends the record to the packet's root (the envelope must be built already).
void write(PacketDOM& packet, const ReportTemplate& record, IdPlacement placement);
// Reads the record from any envelope; missing parts read as their defaults and the id as 0
// unless `withId`.
ReportTemplate read(const PacketDOM& packet, bool withId);

// Why the request's Schedule cannot be planned as written: a StartTime or Frequency that is not
// blank and no number, or an Interval of no known name for a schedule that is not "Once" (read
// as 0 or as a single run they would plan another time); empty when it can.
QString unplannableSchedule(const PacketDOM& packet);

// <Template ID="id"/> appended to the root.
void writeId(PacketDOM& packet, quint32 id);
// The ID of the single Template element as written; empty when there is none.
QString idText(const PacketDOM& packet);
// A template id as requests carry it: an unsigned decimal that fits an item id; nothing
// otherwise (a text that is no number must not select template 0).
std::optional<qint32> idFromText(const QString& text);

void writeList(PacketDOM& packet, const QList<TemplateListEntry>& entries);
QList<TemplateListEntry> readList(const PacketDOM& packet);

} // namespace templateXml
