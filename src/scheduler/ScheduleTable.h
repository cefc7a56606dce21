#pragma once

#include "scheduler/ScheduleSql.h"

#include <QString>
#include <QVector>

class PeerCaller;

// The answer to one statement on the Scheduler table.
struct ScheduleQueryAnswer {
    int result = 0; // 0: success
    QString details;
    // The statement's result set; empty when it had none.
    QVector<SqlRow> rows;

    bool ok() const { return result == 0; }
};

// Sends one statement to the database service with DBSProcessQuery and waits for the answer.
// Every failure comes back as a non-zero result, never as an exception.
ScheduleQueryAnswer runScheduleStatement(PeerCaller& peers, const QString& statement);
