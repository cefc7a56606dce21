#include "ScriptedReportPeers.h"

#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/ResultCodes.h"
#include "peers/CmdDBSProcessQueryRequest.h"

void ScriptedReportPeers::onDatabase(DatabaseScript script) {
    std::lock_guard lock(m_mutex);
    m_database = std::move(script);
}

void ScriptedReportPeers::onOther(OtherScript script) {
    std::lock_guard lock(m_mutex);
    m_other = std::move(script);
}

std::unique_ptr<Packet> ScriptedReportPeers::call(Packet& request, const ResponseFactory& makeResponse) {
    Call call{request.command(), {}, {}};
    request.serialize(call.body);
    DatabaseScript database;
    OtherScript other;
    if (call.command == CmdDBSProcessQueryRequest::commandName) {
        CmdDBSProcessQueryRequest read;
        read.parse(call.body);
        call.queries = read.queries();
    }
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(call);
        database = m_database;
        other = m_other;
    }
    QByteArray answer;
    if (call.command == CmdDBSProcessQueryRequest::commandName && database) {
        const DatabaseAnswer scripted = database(call.queries);
        CmdDBSProcessQueryResponse written(scripted.result, scripted.details);
        for (const DBSResultSet& set : scripted.sets)
            written.addResultSet(set);
        written.serialize(answer);
    } else if (std::unique_ptr<Packet> scripted = other ? other(call.command, call.body) : nullptr) {
        scripted->serialize(answer);
    } else {
        ResponsePacket unknown(ResultCode::UnknownCommand,
                               QStringLiteral("Can't find service for command: ") + call.command);
        unknown.serialize(answer);
    }
    auto response = makeResponse();
    response->parse(answer);
    return response;
}

void ScriptedReportPeers::callAsync(std::unique_ptr<Packet> request) {
    call(*request, [] { return std::unique_ptr<Packet>(std::make_unique<ResponsePacket>()); });
}

std::vector<ScriptedReportPeers::Call> ScriptedReportPeers::calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

QStringList ScriptedReportPeers::queries() const {
    QStringList all;
    for (const Call& call : calls())
        all += call.queries;
    return all;
}

QStringList ScriptedReportPeers::commands() const {
    QStringList all;
    for (const Call& call : calls())
        all.append(call.command);
    return all;
}

DBSResultSet ScriptedReportPeers::rows(std::initializer_list<DBSRow> rows) {
    DBSResultSet set;
    set.rows = QList<DBSRow>(rows);
    return set;
}

DBSResultSet ScriptedReportPeers::statement() {
    DBSResultSet set;
    set.lastRowId = 0;
    return set;
}
