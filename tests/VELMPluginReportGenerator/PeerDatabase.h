#pragma once

#include "VELMPluginReportGenerator/queries/ComposeReportSql.h"
#include "peers/CmdDBSProcessQueryResponse.h"
#include "support/ChildProcess.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A real velm-peers on an empty database of its own, filled by the test through
// DBSProcessQuery, on which the report scripts run as the report generator sends them.
class PeerDatabase {
public:
    PeerDatabase();
    // On a fleet the generator writes first: `devices` devices, `days` days of history
    // ending at `end`.
    PeerDatabase(int devices, int days, qint64 end);
    ~PeerDatabase();

    bool started() const { return m_started; }
    QString output() { return m_peers.output(); }

    // Runs the statements in one request; the answer as it came.
    std::unique_ptr<CmdDBSProcessQueryResponse> send(const QStringList& statements);
    // Runs the statements and expects success.
    void exec(const QStringList& statements);
    // Runs a composed script split as the report generator splits it, and answers the rows of
    // its final SELECT. Fails the test when the script fails or leaves a temporary table.
    QList<DBSRow> reportRows(const QString& script);

    // Rows as "column=value" texts joined with "|", columns in the order given.
    static QStringList texts(const QList<DBSRow>& rows, const QStringList& columns);

    // Statements that fill the fleet tables.
    static QString device(int id);
    static QString value(int device, int property, const QString& value, int column = 0,
                         int row = 0);
    static QString history(int device, int property, int column, int row, qint64 time,
                           const QString& value);
    // Host name, IP, MAC and model name of a device (properties 3, 4, 5, 8).
    static QStringList identity(int device, const QString& ip);

private:
    void start();

    QTemporaryDir m_dir;
    ChildProcess m_peers;
    bool m_started = false;
};

// A period report of every device: its type, interval and range.
inline ReportQueryParams periodReport(int reportId, int type, int interval, qint64 start,
                                      qint64 end) {
    ReportQueryParams p;
    p.reportId = reportId;
    p.reportType = type;
    p.period = interval;
    p.selectionKind = SelectionKind::AllDevices;
    p.start = start;
    p.end = end;
    return p;
}

// Tests that run composed report scripts on their own fresh database.
class ReportScriptTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.started()) << db.output().toStdString(); }

    // The rows of the report's script as texts (see PeerDatabase::texts).
    QStringList run(ReportQueryParams params, const QStringList& columns) {
        return PeerDatabase::texts(db.reportRows(composeReportSql(params)), columns);
    }

    PeerDatabase db;
};
