#include "VELMPluginReportGenerator/queries/ReportQueryParams.h"

CounterSpec CounterSpec::alertKind(int kind, const QString& name) {
    return CounterSpec{kind, name, false, {}, counterColumn::none, {}};
}

CounterSpec CounterSpec::jobTypeOnly(int key, const QString& name,
                                     const QString& jobTypeCondition) {
    return CounterSpec{key, name, true, jobTypeCondition, counterColumn::none, {}};
}

CounterSpec CounterSpec::jobTypeAndColumn(int key, const QString& name,
                                          const QString& jobTypeCondition, int column,
                                          const QString& valueCondition) {
    return CounterSpec{key, name, true, jobTypeCondition, column, valueCondition};
}
