#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"
#include <QMap>
#include <QString>
#include <QStringList>

// The values of a Selection element, each list in document order, ids as written.
struct ReportSelection {
    QStringList deviceIds;
    QStringList groupIds;
    QStringList models;
    QStringList userIds;
    QStringList userGroupIds;

    bool operator==(const ReportSelection&) const = default;
};

// What a report request asks for: every child element of its Report element by name (a later
// child of the same name replaces an earlier one) and the selection.
struct ReportDefinition {
    QMap<QString, QString> parameters;
    ReportSelection selection;

    // Absent parameters read as the empty text.
    QString parameter(const QString& name) const { return parameters.value(name); }

    // Reads a Report element; the selection is the first Selection element below it.
    static ReportDefinition fromElement(const dom::Element* report);
};
