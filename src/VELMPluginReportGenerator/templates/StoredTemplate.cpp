#include "VELMPluginReportGenerator/templates/StoredTemplate.h"

#include "VELMPluginReportGenerator/templates/BodyText.h"
#include "VELMPluginReportGenerator/templates/TemplateXml.h"

#include "VELMPluginReportGenerator/registry/ReportCodes.h"
#include "VXNServiceFramework/packets/RequestPacket.h"

#include <cstdint>

namespace {

const QString onceType = QStringLiteral("Once");
const QString periodicType = QStringLiteral("Periodic");

// A schedule's interval is named by the report interval codes, listed from scheduler code 1 on:
// code 0, a single run, has none.
int intervalCodeOf(const TemplateSchedule& schedule) {
    if (schedule.type == onceType)
        return OccurOnce;
    const qsizetype found = reportRegistry::intervalCodes().indexOf(schedule.interval);
    return found < 0 ? OccurOnce : int(found) + 1;
}

QString intervalOfCode(int code) {
    return reportRegistry::intervalCodes().value(code - 1);
}

TemplateSchedule scheduleOf(const ScheduleItem& item) {
    TemplateSchedule schedule;
    schedule.absent = !item.tag.contains(storedTemplate::autosendTag);
    schedule.type = item.intervalType != OccurOnce ? periodicType : onceType;
    schedule.interval = intervalOfCode(item.intervalType);
    schedule.frequency = quint32(qMax(item.intervalValue, 0));
    schedule.startTime = item.startTime;
    return schedule;
}

} // namespace

namespace storedTemplate {

QString commandText(const ReportTemplate& record, bool withId) {
    RequestPacket request(command);
    request.buildDocument();
    templateXml::write(request, record,
                       withId ? templateXml::IdPlacement::BeforeName
                              : templateXml::IdPlacement::None);
    return bodyText::of(request);
}

ReportTemplate fromCommandText(const QString& text) {
    RequestPacket stored;
    stored.parse(bodyText::toBody(text));
    return templateXml::read(stored, false);
}

std::unique_ptr<CmdSchRegisterRequest> registration(const ReportTemplate& record, qint32 scheduleId,
                                                    const QDateTime& now) {
    auto request = std::make_unique<CmdSchRegisterRequest>();
    request->serviceName = serviceName;
    request->scheduleId = scheduleId;
    ScheduleItem& item = request->item;
    const TemplateSchedule& schedule = record.schedule;
    item.startTime = schedule.startTime.isValid() ? schedule.startTime : now.addYears(-1);
    item.intervalType = intervalCodeOf(schedule);
    item.intervalValue = qint32(qMin<quint32>(schedule.frequency, INT32_MAX));
    // A single run ends where it starts; a recurring one never ends.
    if (item.intervalType == OccurOnce)
        item.stopTime = item.startTime;
    item.permanent = true;
    item.tag = schedule.absent ? QString() : autosendTag;
    // A replaced item's command names its template, as a set request does.
    ReportTemplate stored = record;
    if (scheduleId >= 0)
        stored.id = quint32(scheduleId);
    item.commandToSend = commandText(stored, scheduleId >= 0);
    return request;
}

ReportTemplate fromItem(const ScheduleItem& item) {
    ReportTemplate record = fromCommandText(item.commandToSend);
    record.id = quint32(qMax(item.scheduleId, 0));
    record.schedule = scheduleOf(item);
    return record;
}

TemplateListEntry listEntry(const ScheduleItem& item) {
    const ReportTemplate record = fromItem(item);
    TemplateListEntry entry;
    entry.id = record.id;
    entry.name = record.name;
    entry.reportType = record.report.reportType;
    entry.reportFormat = record.report.reportFormat;
    entry.hasNext = item.tag.contains(autosendTag) && item.nextTime.has_value();
    if (entry.hasNext)
        entry.next = *item.nextTime;
    entry.schedule = record.schedule;
    return entry;
}

} // namespace storedTemplate
