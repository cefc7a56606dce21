#pragma once

#include "peers/CmdDBSProcessQueryResponse.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class ScriptedPeers;

// The database peer ("DBSProcessQuery") on a ScriptedPeers: answers each request from a queue
// of scripted answers, else from a callback, else with one empty result set per query. Every
// query text is recorded in arrival order.
class ScriptedDatabase {
public:
    using Respond = std::function<std::unique_ptr<CmdDBSProcessQueryResponse>(const QStringList&)>;

    explicit ScriptedDatabase(ScriptedPeers& peers);

    // The next request answers Result 0 with these result sets.
    void enqueue(QList<DBSResultSet> sets);
    // The next request answers this failure.
    void enqueueFailure(int code, const QString& details);
    // Answers every request the queue does not, with the request's queries.
    void setResponder(Respond respond);

    // Every query text received, across requests.
    QStringList queries() const;
    // The queries of each request, one list per request.
    QList<QStringList> requests() const;

private:
    std::unique_ptr<CmdDBSProcessQueryResponse> respond(const QStringList& queries);

    mutable std::mutex m_mutex;
    std::deque<std::unique_ptr<CmdDBSProcessQueryResponse>> m_queue;
    Respond m_respond;
    QList<QStringList> m_requests;
};
