#include "JobAccountingView.h"

#include "TextTable.h"

#include "VXNServiceFramework/dom/DomRead.h"

namespace {

const QStringList kinds{"Basic", "PrintDetails", "CopyDetails", "FaxDetails", "ScanDetails"};

QString childText(const dom::Element* element, const char* name) {
    return dom::textContent(dom::firstChild(element, QString::fromLatin1(name)));
}

// "abaker (Ann Baker, Sales)" or "host3 10.0.0.3 (Model 3, Floor 3)": what names the entry.
QString heading(const dom::Element* entry, bool byUser) {
    if (byUser)
        return QStringLiteral("User %1 (%2, %3)")
            .arg(childText(entry, "Login"), childText(entry, "UserName"),
                 childText(entry, "GroupName"));
    return QStringLiteral("Device %1 %2 (%3, %4)")
        .arg(childText(entry, "HostName"), childText(entry, "IPAddress"),
             childText(entry, "ModelName"), childText(entry, "Location"));
}

// A record's texts, then its counters, as one table row.
QList<QPair<QString, QString>> recordCells(const dom::Element* record) {
    QList<QPair<QString, QString>> cells;
    dom::forEachChild(record, [&](dom::Element* field) {
        if (dom::name(field).endsWith(QLatin1String("RecordData"))) {
            dom::StringPairs counters;
            dom::childPairs(field, counters);
            cells += counters;
        } else {
            cells.append({dom::name(field), dom::textContent(field)});
        }
    });
    return cells;
}

} // namespace

bool isJobAccountingReport(const dom::Element* report) {
    const dom::Element* kind = dom::firstChild(report, {});
    return kind && kinds.contains(dom::name(kind));
}

QString formatJobAccountingReport(const dom::Element* report) {
    const dom::Element* kind = dom::firstChild(report, {});
    const dom::Element* grouping = dom::firstChild(kind, {});
    if (!grouping)
        return dom::name(kind) + QStringLiteral(": (no records)\n");
    const bool byUser = dom::name(grouping) == QLatin1String("ByUser");
    QString text =
        dom::name(kind) + QStringLiteral(" by ") + (byUser ? "user" : "device") + QLatin1Char('\n');
    int entries = 0;
    dom::forEachChild(grouping, [&](dom::Element* entry) {
        ++entries;
        text += printableLine(heading(entry, byUser)) + QLatin1Char('\n');
        TextTable table;
        dom::forEachChild(
            entry, [&](dom::Element* record) { table.addRow(recordCells(record)); },
            QStringLiteral("Record"));
        text += table.format(QStringLiteral("    "));
    });
    if (entries == 0)
        text += QStringLiteral("(no records)\n");
    return text;
}
