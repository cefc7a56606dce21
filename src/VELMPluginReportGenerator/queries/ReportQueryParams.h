#pragma once

#include <QList>
#include <QString>
#include <optional>

// One counter column of a period report.
struct CounterSpec {
    int key = 0;
    QString name;
    // True for usage counters: the value comes from counter-table rows whose job type matches.
    bool filtered = false;
    QString jobTypeCondition; // SQL fragment, e.g. "IN ('print','copy','faxIn')"
    int column = 0;           // further counter-table column to match; 0 for none
    QString valueCondition;   // SQL fragment on that column, e.g. "= 'fullColor'"

    static CounterSpec alertKind(int kind, const QString& name);
    static CounterSpec jobTypeOnly(int key, const QString& name, const QString& jobTypeCondition);
    static CounterSpec jobTypeAndColumn(int key, const QString& name,
                                        const QString& jobTypeCondition, int column,
                                        const QString& valueCondition);

    friend bool operator==(const CounterSpec&, const CounterSpec&) = default;
};

// How a summary report groups its devices.
struct GroupBySpec {
    static constexpr int deviceGroups = -1; // by the names of the groups a device belongs to
    int key = deviceGroups;                 // otherwise the property id whose values group
    QString name;                           // header of the grouping column
};

// Selection kinds: index into the device selection templates.
enum class SelectionKind : int { Groups = 0, Devices = 1, AllDevices = 2 };

// Counter-table columns a counter can match on besides its job type.
namespace counterColumn {
inline constexpr int none = 0;
inline constexpr int mediaSize = 3;
inline constexpr int printMode = 5;
inline constexpr int colourMode = 6;
} // namespace counterColumn

// Inputs of one composition. The composer only reads it, except for the counter list, which
// it replaces for the report types that have fixed counters.
struct ReportQueryParams {
    int reportId = 0;
    int reportType = 0;
    int period = 0; // 0 hour, 1 day, 2 week, 3 month
    SelectionKind selectionKind = SelectionKind::AllDevices;
    // Decimal ids joined with "," and no blanks; ignored for all devices. Callers build it with
    // decimalIdList() so that nothing unchecked reaches the SQL.
    QString selectionIds;
    QList<CounterSpec> counters;
    std::optional<GroupBySpec> groupBy; // present only for a summary
    qint64 start = 0;
    qint64 end = 0;
    bool chart = false;
};
