#include "PeerDatabase.h"

#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "peers/CmdDBSProcessQueryRequest.h"
#include "support/PacketCall.h"

#include <QProcess>
#include <gtest/gtest.h>

PeerDatabase::PeerDatabase() {
    start();
}

PeerDatabase::PeerDatabase(int devices, int days, qint64 end) {
    const QStringList arguments{QStringLiteral("--generate-fleet"),
                                QString::number(devices),
                                QStringLiteral("--days"),
                                QString::number(days),
                                QStringLiteral("--end"),
                                QString::number(end),
                                QStringLiteral("--db"),
                                m_dir.filePath(QStringLiteral("fleet.db"))};
    if (QProcess::execute(QStringLiteral(VELM_BINARY_DIR "/bin/velm-peers"), arguments) == 0)
        start();
}

void PeerDatabase::start() {
    m_started = m_dir.isValid() && m_peers.startPeers(m_dir.filePath(QStringLiteral("fleet.db")),
                                                      m_dir.filePath(QStringLiteral("html")));
}

PeerDatabase::~PeerDatabase() {
    m_peers.terminate();
}

std::unique_ptr<CmdDBSProcessQueryResponse> PeerDatabase::send(const QStringList& statements) {
    CmdDBSProcessQueryRequest request;
    for (const auto& statement : statements)
        request.addQuery(statement);
    return callOverHttp<CmdDBSProcessQueryResponse>(m_peers.url(), request);
}

void PeerDatabase::exec(const QStringList& statements) {
    const auto response = send(statements);
    ASSERT_EQ(response->result(), 0) << response->details().toStdString();
}

QList<DBSRow> PeerDatabase::reportRows(const QString& script) {
    QStringList statements = splitSqlStatements(script);
    qsizetype finalSelect = -1;
    for (qsizetype i = 0; i < statements.size(); ++i) {
        if (statements[i].trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive))
            finalSelect = i;
    }
    // Temporary tables live on the request's connection, so the check runs in the same request.
    statements.append(QStringLiteral("SELECT name AS leftover FROM sqlite_temp_master"));
    const auto response = send(statements);
    EXPECT_EQ(response->result(), 0) << response->details().toStdString();
    if (response->result() != 0 || response->resultSets().size() != statements.size()) {
        ADD_FAILURE() << "expected one result set per statement";
        return {};
    }
    EXPECT_TRUE(response->resultSets().back().rows.isEmpty()) << "temporary table left behind";
    if (finalSelect < 0)
        return {};
    for (qsizetype i = 0; i < statements.size() - 1; ++i) {
        if (i != finalSelect) {
            EXPECT_TRUE(response->resultSets()[i].rows.isEmpty()) << "rows from statement " << i;
        }
    }
    return response->resultSets()[finalSelect].rows;
}

QStringList PeerDatabase::texts(const QList<DBSRow>& rows, const QStringList& columns) {
    QStringList out;
    for (const auto& row : rows) {
        QStringList cells;
        for (const auto& column : columns)
            cells.append(column + QLatin1Char('=') + row.value(column));
        out.append(cells.join(QLatin1Char('|')));
    }
    return out;
}

QString PeerDatabase::device(int id) {
    return QStringLiteral("INSERT INTO Devices (DeviceID) VALUES (%1)").arg(id);
}

QString PeerDatabase::value(int device, int property, const QString& value, int column, int row) {
    return QStringLiteral("INSERT INTO DevicePropertyValues (R_DeviceID, R_PropertyID, "
                          "R_ColumnID, RowIndex, TimeValue, Value) VALUES (%1, %2, %3, %4, 0, %5)")
        .arg(device)
        .arg(property)
        .arg(column)
        .arg(row)
        .arg(quotedSqlText(value));
}

QString PeerDatabase::history(int device, int property, int column, int row, qint64 time,
                              const QString& value) {
    return QStringLiteral("INSERT INTO DevicePropertyHistory (R_DeviceID, R_PropertyID, "
                          "R_ColumnID, RowIndex, TimeValue, Value) VALUES (%1, %2, %3, %4, %5, %6)")
        .arg(device)
        .arg(property)
        .arg(column)
        .arg(row)
        .arg(time)
        .arg(quotedSqlText(value));
}

QStringList PeerDatabase::identity(int device, const QString& ip) {
    const QString n = QString::number(device);
    return {PeerDatabase::device(device), value(device, 3, QStringLiteral("prn-") + n),
            value(device, 4, ip), value(device, 5, QStringLiteral("00:00:00:00:00:0") + n),
            value(device, 8, QStringLiteral("Model ") + n)};
}
