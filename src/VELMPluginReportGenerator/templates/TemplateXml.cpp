#include "VELMPluginReportGenerator/templates/TemplateXml.h"

#include "VELMPluginReportGenerator/registry/ReportCodes.h"
#include "scheduler/ScheduleItem.h"
#include "scheduler/SchedulePacketText.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/packets/PacketDOM.h"

#include <limits>

namespace {

const QString templateTag = QStringLiteral("Template");
const QString idAttribute = QStringLiteral("ID");
const QString nameTag = QStringLiteral("Name");
const QString reportTag = QStringLiteral("Report");
const QString selectionTag = QStringLiteral("Selection");
const QString emailTag = QStringLiteral("Email");
const QString recipientsTag = QStringLiteral("Recipients");
const QString fileFormatsTag = QStringLiteral("FileFormats");
const QString scheduleTag = QStringLiteral("Schedule");
const QString yes = QStringLiteral("Yes");
const QString no = QStringLiteral("No");
const QString once = QStringLiteral("ONCE");

QString secondsText(const QDateTime& time) {
    return QString::number(secondsOf(time));
}

// Seconds since 1970; 0 or not a number is no time.
QDateTime timeFromText(const QString& text) {
    bool ok = false;
    const qulonglong seconds = text.toULongLong(&ok, 10);
    if (!ok || seconds == 0 || seconds > qulonglong(std::numeric_limits<qint64>::max()))
        return {};
    return localFromSeconds(qint64(seconds));
}

quint32 unsignedFromText(const QString& text) {
    bool ok = false;
    const uint value = text.toUInt(&ok, 10);
    return ok ? value : 0;
}

void appendIfSet(PacketDOM::StringPairs& pairs, const QString& name, const QString& text) {
    if (!text.isEmpty())
        pairs.append({name, text});
}

void appendIfValid(PacketDOM::StringPairs& pairs, const QString& name, const QDateTime& time) {
    if (time.isValid())
        pairs.append({name, secondsText(time)});
}

void appendList(dom::Element* parent, const QString& listName, const QString& itemName,
                const QStringList& values) {
    dom::Element* list = dom::appendElement(parent, listName);
    for (const QString& value : values)
        dom::appendTextElement(list, itemName, value);
}

QString selectionName(int kind) {
    const QStringList& names = templateSelectionNames();
    return names.value(kind, names.first());
}

void writeReport(PacketDOM& packet, const TemplateReport& report) {
    // Children in ascending order of their names, then the selection.
    PacketDOM::StringPairs children;
    children.append({QStringLiteral("ChartType"), report.chartType});
    appendIfValid(children, QStringLiteral("From"), report.from);
    appendIfSet(children, QStringLiteral("GroupBy"), report.groupBy);
    appendIfSet(children, QStringLiteral("Interval"), report.interval);
    children.append({QStringLiteral("IsSummary"), report.summary ? yes : no});
    children.append({QStringLiteral("Period"), report.period});
    children.append({QStringLiteral("ReportFormat"), report.reportFormat});
    children.append({QStringLiteral("ReportType"), report.reportType});
    if (!report.selectionValues.isEmpty())
        children.append({QStringLiteral("SelectionType"), selectionName(report.selectionKind)});
    children.append({QStringLiteral("SortBy"), report.sortBy});
    appendIfValid(children, QStringLiteral("To"), report.to);
    dom::Element* element = packet.addElement(reportTag, {});
    dom::appendTextElements(element, children);
    appendList(element, selectionTag, selectionName(report.selectionKind), report.selectionValues);
}

void writeEmail(PacketDOM& packet, const TemplateEmail& email) {
    PacketDOM::StringPairs children;
    appendIfSet(children, QStringLiteral("Content"), email.content);
    appendIfSet(children, QStringLiteral("Locale"), email.locale);
    appendIfSet(children, QStringLiteral("Subject"), email.subject);
    dom::Element* element = packet.addElement(emailTag, {});
    dom::appendTextElements(element, children);
    appendList(element, recipientsTag, QStringLiteral("Recipient"), email.recipients);
    appendList(element, fileFormatsTag, QStringLiteral("FileFormat"), email.fileFormats);
}

void writeSchedule(PacketDOM& packet, const TemplateSchedule& schedule) {
    PacketDOM::StringPairs children;
    if (schedule.type.toUpper() != once)
        children.append({QStringLiteral("Frequency"), QString::number(schedule.frequency)});
    appendIfSet(children, QStringLiteral("Interval"), schedule.interval);
    appendIfValid(children, QStringLiteral("StartTime"), schedule.startTime);
    appendIfSet(children, QStringLiteral("Type"), schedule.type);
    dom::appendTextElements(packet.addElement(scheduleTag, {}), children);
}

// The kind a selection child's name stands for; nothing for a name of no kind.
std::optional<int> selectionKindOf(const QString& name) {
    if (name == QStringLiteral("User"))
        return 0;
    const qsizetype kind = templateSelectionNames().indexOf(name);
    return kind < 0 ? std::nullopt : std::optional<int>(int(kind));
}

TemplateReport readReport(const PacketDOM& packet) {
    const dom::Element* element = dom::firstDescendant(packet.document(), reportTag);
    PacketDOM::StringMap fields;
    dom::childPairs(element, fields);
    TemplateReport report;
    report.reportType = fields.value(QStringLiteral("ReportType"));
    report.summary = fields.value(QStringLiteral("IsSummary")).toUpper() == yes.toUpper();
    report.period = fields.value(QStringLiteral("Period"));
    report.from = timeFromText(fields.value(QStringLiteral("From")));
    report.to = timeFromText(fields.value(QStringLiteral("To")));
    report.interval = fields.value(QStringLiteral("Interval"));
    report.groupBy = fields.value(QStringLiteral("GroupBy"));
    report.reportFormat = fields.value(QStringLiteral("ReportFormat"));
    report.chartType = fields.value(QStringLiteral("ChartType"));
    report.sortBy = fields.value(QStringLiteral("SortBy"));
    // The kind follows the names of the values, not SelectionType.
    dom::forEachChild(dom::firstDescendant(element, selectionTag), [&](dom::Element* value) {
        report.selectionValues.append(dom::textContent(value));
        if (const auto kind = selectionKindOf(dom::name(value)))
            report.selectionKind = *kind;
    });
    return report;
}

bool hasChildElement(const dom::Element* element) {
    bool found = false;
    dom::forEachChild(element, [&](dom::Element*) { found = true; });
    return found;
}

QStringList childTexts(const dom::Element* list) {
    QStringList texts;
    dom::forEachChild(list, [&](dom::Element* child) { texts.append(dom::textContent(child)); });
    return texts;
}

TemplateEmail readEmail(const PacketDOM& packet) {
    const dom::Element* element = dom::firstDescendant(packet.document(), emailTag);
    TemplateEmail email;
    if (!hasChildElement(element))
        return email;
    email.absent = false;
    const auto text = [&](const QString& name) {
        return dom::textContent(dom::firstChild(element, name));
    };
    email.content = text(QStringLiteral("Content"));
    email.locale = text(QStringLiteral("Locale"));
    email.subject = text(QStringLiteral("Subject"));
    email.recipients = childTexts(dom::firstDescendant(element, recipientsTag));
    email.fileFormats = childTexts(dom::firstDescendant(element, fileFormatsTag));
    return email;
}

TemplateSchedule readSchedule(const dom::Element* element) {
    TemplateSchedule schedule;
    if (!hasChildElement(element))
        return schedule;
    schedule.absent = false;
    const auto text = [&](const QString& name) {
        return dom::textContent(dom::firstChild(element, name));
    };
    // A Once schedule is written without Frequency: absent keeps the default.
    if (const dom::Element* frequency = dom::firstChild(element, QStringLiteral("Frequency")))
        schedule.frequency = unsignedFromText(dom::textContent(frequency));
    schedule.interval = text(QStringLiteral("Interval"));
    schedule.type = text(QStringLiteral("Type"));
    schedule.startTime = timeFromText(text(QStringLiteral("StartTime")));
    return schedule;
}

QString quotedField(const QString& field, const QString& text) {
    return QStringLiteral("Schedule %1 \"%2\"").arg(field, text);
}

} // namespace

const QStringList& templateSelectionNames() {
    static const QStringList names{QStringLiteral("DeviceID"), QStringLiteral("GroupID"),
                                   QStringLiteral("Model"), QStringLiteral("UserID"),
                                   QStringLiteral("UserGroupID")};
    return names;
}

namespace templateXml {

void write(PacketDOM& packet, const ReportTemplate& record, IdPlacement placement) {
    if (placement == IdPlacement::BeforeName)
        writeId(packet, record.id);
    packet.addElement(nameTag, record.name);
    if (placement == IdPlacement::AfterName)
        writeId(packet, record.id);
    writeReport(packet, record.report);
    if (!record.email.absent)
        writeEmail(packet, record.email);
    if (!record.schedule.absent)
        writeSchedule(packet, record.schedule);
}

ReportTemplate read(const PacketDOM& packet, bool withId) {
    ReportTemplate record;
    record.name = packet.elementText(nameTag);
    if (withId)
        record.id = unsignedFromText(idText(packet));
    record.report = readReport(packet);
    record.email = readEmail(packet);
    record.schedule = readSchedule(dom::firstDescendant(packet.document(), scheduleTag));
    return record;
}

QString unplannableSchedule(const PacketDOM& packet) {
    const dom::Element* element = dom::firstDescendant(packet.document(), scheduleTag);
    if (!hasChildElement(element))
        return {};
    const auto text = [&](const QString& name) {
        return dom::textContent(dom::firstChild(element, name));
    };
    const QString start = text(QStringLiteral("StartTime"));
    if (!schedulePacket::isBlankOrNumberWithin(start, 0, std::numeric_limits<qint64>::max()))
        return quotedField(QStringLiteral("StartTime"), start) + QStringLiteral(" is not a number");
    // The scheduler keeps an interval count of 31 bits: a larger one would be stored as another.
    const QString frequency = text(QStringLiteral("Frequency"));
    if (!schedulePacket::isBlankOrNumberWithin(frequency, 0, std::numeric_limits<qint32>::max()))
        return quotedField(QStringLiteral("Frequency"), frequency) +
               QStringLiteral(" is not a number from 0 to %1")
                   .arg(std::numeric_limits<qint32>::max());
    const QString interval = text(QStringLiteral("Interval"));
    const bool single = text(QStringLiteral("Type")).toUpper() == once;
    const QStringList& intervals = reportRegistry::intervalCodes();
    if (!single && !interval.isEmpty() && !intervals.contains(interval))
        return quotedField(QStringLiteral("Interval"), interval) + QStringLiteral(" is none of ") +
               intervals.join(QStringLiteral(", "));
    return {};
}

void writeId(PacketDOM& packet, quint32 id) {
    packet.addElement(templateTag, {}, QString::number(id));
}

QString idText(const PacketDOM& packet) {
    return packet.elementId(templateTag);
}

std::optional<qint32> idFromText(const QString& text) {
    bool ok = false;
    const uint id = text.toUInt(&ok, 10);
    if (!ok || id > uint(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(id);
}

void writeList(PacketDOM& packet, const QList<TemplateListEntry>& entries) {
    for (const TemplateListEntry& entry : entries) {
        dom::Element* element = packet.addElement(templateTag, {}, QString::number(entry.id));
        PacketDOM::StringPairs children{{nameTag, entry.name}};
        if (entry.hasNext && entry.next.isValid())
            children.append({QStringLiteral("Next"), secondsText(entry.next)});
        children.append({QStringLiteral("ReportFormat"), entry.reportFormat});
        children.append({QStringLiteral("ReportType"), entry.reportType});
        dom::appendTextElements(element, children);
        if (entry.schedule.absent)
            continue;
        PacketDOM::StringPairs schedule;
        if (!entry.schedule.interval.isEmpty()) {
            schedule.append({QStringLiteral("Interval"), entry.schedule.interval});
            schedule.append(
                {QStringLiteral("Frequency"), QString::number(entry.schedule.frequency)});
        }
        schedule.append({QStringLiteral("Type"), entry.schedule.type});
        appendIfValid(schedule, QStringLiteral("StartTime"), entry.schedule.startTime);
        dom::appendTextElements(dom::appendElement(element, scheduleTag), schedule);
    }
}

QList<TemplateListEntry> readList(const PacketDOM& packet) {
    QList<TemplateListEntry> entries;
    dom::forEachChild(
        packet.rootElement(),
        [&](dom::Element* element) {
            TemplateListEntry entry;
            entry.id = unsignedFromText(dom::attribute(element, idAttribute));
            const auto text = [&](const QString& name) {
                return dom::textContent(dom::firstChild(element, name));
            };
            entry.name = text(nameTag);
            entry.reportFormat = text(QStringLiteral("ReportFormat"));
            entry.reportType = text(QStringLiteral("ReportType"));
            entry.next = timeFromText(text(QStringLiteral("Next")));
            entry.hasNext = entry.next.isValid();
            entry.schedule = readSchedule(dom::firstChild(element, scheduleTag));
            entries.append(entry);
        },
        templateTag);
    return entries;
}

} // namespace templateXml
