#pragma once

#include "VELMPluginReportGenerator/templates/ReportTemplate.h"

#include "scheduler/CmdSchRegister.h"
#include "scheduler/ScheduleItem.h"

#include <memory>

// Templates live as items of the scheduler under this service name; the item's command is the
// template as a request of the command that generates and mails its report.
namespace storedTemplate {

inline const QString serviceName = QStringLiteral("RG");
inline const QString command = QStringLiteral("RGPGenerateAndSendReportByEmail");
// The tag of an item whose template has a schedule; clients see it as it is.
inline const QString autosendTag = QStringLiteral("Autosend");

// The command text the scheduler stores and fires. Only the root's command names the stored
// command: texts of the template (its name, the mail) stay as they were written. With `withId`
// the text also carries <Template ID="..."/>.
QString commandText(const ReportTemplate& record, bool withId);
// The name, report and e-mail parts of a stored command; a text that is no template yields
// empty fields.
ReportTemplate fromCommandText(const QString& text);

// The registration that stores `record` under `scheduleId` (-1: a new item). A template without
// a valid start is placed a year before `now`, so that it never fires by itself.
std::unique_ptr<CmdSchRegisterRequest> registration(const ReportTemplate& record, qint32 scheduleId,
                                                    const QDateTime& now);

// The template of a stored item: the parts of its command, its id and its schedule, the
// schedule as the item holds it.
ReportTemplate fromItem(const ScheduleItem& item);
TemplateListEntry listEntry(const ScheduleItem& item);

} // namespace storedTemplate
