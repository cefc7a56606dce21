#pragma once

#include "VXNServiceFramework/client/PeerCaller.h"
#include "peers/CmdDBSProcessQueryResponse.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <mutex>
#include <vector>

// The peers of the report generator, scripted in the process: every request goes through its
// bytes to the script and the script's answer through its bytes back, as over the wire.
// Safe for concurrent callers (report threads call at once).
class ScriptedReportPeers : public PeerCaller {
public:
    struct Call {
        QString command;
        QByteArray body;
        QStringList queries; // for DBSProcessQuery
    };
    // What the database answers: Result 0 with result sets, or a failure.
    struct DatabaseAnswer {
        QList<DBSResultSet> sets;
        int result = 0;
        QString details = QStringLiteral("OK");
    };
    using DatabaseScript = std::function<DatabaseAnswer(const QStringList& queries)>;
    using OtherScript = std::function<std::unique_ptr<Packet>(const QString& command, const QByteArray& body)>;

    void onDatabase(DatabaseScript script);
    // Commands other than DBSProcessQuery; without a script they answer 2, as an unknown command.
    void onOther(OtherScript script);

    std::unique_ptr<Packet> call(Packet& request, const ResponseFactory& makeResponse) override;
    void callAsync(std::unique_ptr<Packet> request) override;

    std::vector<Call> calls() const;
    QStringList queries() const; // every query sent, in order
    QStringList commands() const;

    // A result set with these rows (lastRowId -1); one with none from a statement (row id 0).
    static DBSResultSet rows(std::initializer_list<DBSRow> rows);
    static DBSResultSet statement();
    static DatabaseAnswer failure() { return {{}, 1, QStringLiteral("SQL error")}; }

private:
    mutable std::mutex m_mutex;
    DatabaseScript m_database;
    OtherScript m_other;
    std::vector<Call> m_calls;
};
