#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The report categories offered to the user interface. Entries are user-interface names: most
// are report type keywords, but RT_SEPARATOR and the RT_JAC_... entries are not table rows.
namespace reportRegistry {

struct ReportCategory {
    QString name;
    QStringList entries; // at most maxCategoryEntries
};

inline constexpr int maxCategoryEntries = 7;

// The job accounting category comes last and only when the plug-in is there to compute it.
QList<ReportCategory> reportCategories(bool withJobAccounting);

} // namespace reportRegistry
