#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Which report a template makes. Texts pass through unchanged; the report commands give them
// their meaning.
struct TemplateReport {
    QString reportType;
    bool summary = false;
    QString period;
    QDateTime from; // null when not set
    QDateTime to;
    QString interval;
    QString groupBy;
    QString reportFormat;
    QString chartType;
    QString sortBy;
    int selectionKind = 0; // index into templateSelectionNames()
    QStringList selectionValues;

    bool operator==(const TemplateReport&) const = default;
};

// To whom the report goes; `absent` when the template mails nothing.
struct TemplateEmail {
    bool absent = true;
    QStringList recipients;
    QString subject;
    QString content;
    QStringList fileFormats;
    QString locale;

    bool operator==(const TemplateEmail&) const = default;
};

// When the report is made again; `absent` when it is made only on request.
struct TemplateSchedule {
    bool absent = true;
    QString type; // "Once" or "Periodic"
    QDateTime startTime;
    QString interval; // "I_HOUR" ... "I_MONTH"
    quint32 frequency = 1;

    bool operator==(const TemplateSchedule&) const = default;
};

// A stored, named report request.
struct ReportTemplate {
    QString name;
    quint32 id = 0;
    TemplateReport report;
    TemplateEmail email;
    TemplateSchedule schedule;

    bool operator==(const ReportTemplate&) const = default;
};

// One row of the template list.
struct TemplateListEntry {
    quint32 id = 0;
    QString name;
    QString reportType;
    QString reportFormat;
    bool hasNext = false;
    QDateTime next;
    TemplateSchedule schedule;

    bool operator==(const TemplateListEntry&) const = default;
};

// The element names of the selection kinds, by kind: "DeviceID", "GroupID", "Model",
// "UserID", "UserGroupID".
const QStringList& templateSelectionNames();
