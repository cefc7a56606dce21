#pragma once

#include "scheduler/ScheduleSql.h"

#include <QString>
#include <QVector>

// The answer to one statement sent to the database service.
struct ScheduleQueryAnswer {
    int result = 0; // 0: success
    QString details;
    // The statement's result set; empty when it had none.
    QVector<SqlRow> rows;
};

// Where the scheduler sends its statements on the Scheduler table. Calls wait for the answer;
// any failure comes back as a non-zero result, never as an exception.
class ScheduleDatabase {
public:
    virtual ~ScheduleDatabase() = default;
    virtual ScheduleQueryAnswer run(const QString& statement) = 0;
};
