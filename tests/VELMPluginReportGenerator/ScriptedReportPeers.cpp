#include "ScriptedReportPeers.h"

void ScriptedReportPeers::onDatabase(DatabaseScript script) {
    m_database.setResponder([script = std::move(script)](const QStringList& queries) {
        const DatabaseAnswer scripted = script(queries);
        auto answer =
            std::make_unique<CmdDBSProcessQueryResponse>(scripted.result, scripted.details);
        for (const DBSResultSet& set : scripted.sets)
            answer->addResultSet(set);
        return answer;
    });
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

ScriptedReportPeers::DatabaseAnswer
ScriptedReportPeers::oneRowPerSelect(const QStringList& queries) {
    DatabaseAnswer answer;
    for (const QString& query : queries)
        answer.sets.append(query.trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive)
                               ? rows({{{"DeviceID", "1"}, {"Name", "n"}}})
                               : statement());
    return answer;
}
