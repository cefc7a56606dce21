#include "support/ScriptedDatabase.h"

#include "support/ScriptedPeers.h"

#include "peers/CmdDBSProcessQueryRequest.h"

ScriptedDatabase::ScriptedDatabase(ScriptedPeers& peers) {
    peers.answer<CmdDBSProcessQueryRequest>(
        [this](const CmdDBSProcessQueryRequest& request) -> std::unique_ptr<Packet> {
            return respond(request.queries());
        });
}

void ScriptedDatabase::enqueue(QList<DBSResultSet> sets) {
    auto response = std::make_unique<CmdDBSProcessQueryResponse>();
    for (DBSResultSet& set : sets)
        response->addResultSet(std::move(set));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.push_back(std::move(response));
}

void ScriptedDatabase::enqueueFailure(int code, const QString& details) {
    auto response = std::make_unique<CmdDBSProcessQueryResponse>(code, details);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.push_back(std::move(response));
}

void ScriptedDatabase::setResponder(Respond respond) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_respond = std::move(respond);
}

QStringList ScriptedDatabase::queries() const {
    QStringList all;
    for (const QStringList& request : requests())
        all += request;
    return all;
}

QList<QStringList> ScriptedDatabase::requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

std::unique_ptr<CmdDBSProcessQueryResponse> ScriptedDatabase::respond(const QStringList& queries) {
    Respond respond;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.append(queries);
        if (!m_queue.empty()) {
            std::unique_ptr<CmdDBSProcessQueryResponse> next = std::move(m_queue.front());
            m_queue.pop_front();
            return next;
        }
        respond = m_respond;
    }
    if (respond)
        return respond(queries);
    auto empty = std::make_unique<CmdDBSProcessQueryResponse>();
    for (qsizetype i = 0; i < queries.size(); ++i)
        empty->addResultSet({});
    return empty;
}
