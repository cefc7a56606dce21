#include "peers/CmdDBSProcessQueryResponse.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

#include "peers/QueryXmlReader.h"
#include "peers/QueryXmlWriter.h"

namespace queryxml = peers::queryxml;

void CmdDBSProcessQueryResponse::parse(const QByteArray& body) {
    queryxml::ParsedBody parsed = queryxml::parseBody(body);
    if (!parsed.ok) {
        m_resultSets.clear();
        setResult(ResultCode::WrongResponseFormat, ResultText::wrongResponsePrefix + parsed.error);
        return;
    }
    setResult(parsed.result, parsed.details);
    m_resultSets = std::move(parsed.resultSets);
}

void CmdDBSProcessQueryResponse::serialize(QByteArray& body) {
    if (!m_writtenBody.isEmpty()) {
        body = m_writtenBody;
        return;
    }
    queryxml::BodyWriter writer(result(), details());
    for (const DBSResultSet& set : m_resultSets)
        writer.addResultSet(set);
    body = writer.finish();
}

void CmdDBSProcessQueryResponse::setWrittenBody(QByteArray body) {
    m_writtenBody = std::move(body);
}

void CmdDBSProcessQueryResponse::setResult(int code, const QString& details) {
    m_writtenBody.clear();
    ResponsePacket::setResult(code, details);
}
