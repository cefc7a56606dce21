#pragma once

#include "peers/CmdDBSProcessQueryResponse.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <utility>

class PeerCaller;

// The database service as the report generator uses it: statements sent in one
// DBSProcessQuery, waiting for the answer (a failure is an answer with a non-zero Result).
class ReportDatabase {
public:
    // `logContext` starts the line of a failure, such as "Report 3: ".
    explicit ReportDatabase(PeerCaller& caller, QString logContext = {})
        : m_caller(caller), m_logContext(std::move(logContext)) {}

    std::unique_ptr<CmdDBSProcessQueryResponse> run(const QStringList& statements) const;
    std::unique_ptr<CmdDBSProcessQueryResponse> run(const QString& statement) const {
        return run(QStringList{statement});
    }
    // A composed script: split at every ";", empty pieces dropped, one query per piece.
    std::unique_ptr<CmdDBSProcessQueryResponse> runScript(const QString& script) const;

private:
    PeerCaller& m_caller;
    QString m_logContext;
};
