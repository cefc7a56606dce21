#include "DatabasePeerService.h"

#include "Sqlite.h"

#include "peers/QueryXmlWriter.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/dom/DomBuild.h"

#include <QMap>

namespace queryxml = peers::queryxml;

namespace {
// Writes the answer's XML while the rows come from the database, without holding them. Columns
// go out in name order (the order of a row map); a repeated name keeps its last value, as in a
// row map. A name or value XML cannot carry is recorded as the answer's problem.
class XmlBodySink : public SqlRowSink {
public:
    explicit XmlBodySink(qsizetype maxBytes)
        : m_writer(0, QStringLiteral("OK")), m_maxBytes(maxBytes) {}

    void beginSet() override {
        ++m_set;
        m_row = 0;
        m_writer.beginRows();
    }
    void columns(const QStringList& names) override {
        QMap<QString, qsizetype> byName;
        for (qsizetype i = 0; i < names.size(); ++i)
            byName.insert(names[i], i);
        m_names = byName.keys();
        m_order = byName.values();
        m_prefixes.clear();
        for (const QString& name : m_names) {
            m_prefixes.append(queryxml::BodyWriter::attributePrefix(name));
            if (m_problem.isEmpty() && !dom::isValidName(name))
                m_problem = QStringLiteral("Query %1: the column name '%2' is not a valid XML "
                                           "name; give the column an alias")
                                .arg(m_set)
                                .arg(name);
        }
    }
    void row(const QByteArrayView* values) override {
        ++m_row;
        m_writer.beginRow();
        for (qsizetype i = 0; i < m_order.size(); ++i) {
            if (!m_writer.attribute(m_prefixes[i], values[m_order[i]]) && m_problem.isEmpty())
                m_problem = QStringLiteral("Query %1: the value of column '%2' in row %3 holds a "
                                           "character XML cannot carry")
                                .arg(m_set)
                                .arg(m_names[i])
                                .arg(m_row);
        }
        m_writer.endRow();
        // Thrown from the row loop, so the database stops producing rows nobody could read.
        if (m_writer.bytes() > m_maxBytes)
            throw SqliteError(SQLITE_TOOBIG,
                              QStringLiteral("the answer exceeds the %1 bytes a client reads; "
                                             "ask for fewer rows")
                                  .arg(m_maxBytes));
    }
    void endSet(int lastRowId) override { m_writer.endRows(lastRowId); }

    const QString& problem() const { return m_problem; }
    QByteArray finish() { return m_writer.finish(); }

private:
    queryxml::BodyWriter m_writer;
    const qsizetype m_maxBytes;
    int m_set = 0;
    qint64 m_row = 0; // of the current set, from 1
    QList<QString> m_names;
    QList<QString> m_prefixes;
    QList<qsizetype> m_order;
    QString m_problem;
};
} // namespace

DatabasePeerService::DatabasePeerService(const SqlEngine& engine, qsizetype maxAnswerBytes)
    : m_engine(engine), m_maxAnswerBytes(maxAnswerBytes) {
    addHandler(CmdDBSProcessQueryRequest::commandName, this, &DatabasePeerService::processQuery);
}

std::unique_ptr<CmdDBSProcessQueryResponse>
DatabasePeerService::processQuery(CmdDBSProcessQueryRequest& request) {
    auto response = std::make_unique<CmdDBSProcessQueryResponse>();
    XmlBodySink sink(m_maxAnswerBytes);
    const SqlFailure failure = m_engine.run(request.queries(), sink);
    if (failure.code != 0) {
        VELM_ERR << "DBSProcessQuery: " << failure.message;
        response->setResult(failure.code, failure.message);
        return response;
    }
    if (!sink.problem().isEmpty()) {
        VELM_ERR << "DBSProcessQuery: " << sink.problem();
        response->setResult(unwritableAnswer, sink.problem());
        return response;
    }
    response->setWrittenBody(sink.finish());
    return response;
}
