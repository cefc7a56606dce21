#include "scheduler/CSendCommand.h"

#include "scheduler/CommandName.h"

#include <QtEndian>

CSendCommand::CSendCommand(QString command, QString text)
    : m_command(std::move(command)), m_text(std::move(text)) {}

void CSendCommand::parse(const QByteArray& body) {
    const qsizetype units = body.size() / 2;
    m_text.resize(units);
    qFromLittleEndian<quint16>(body.constData(), units, m_text.data());
    m_command = commandNameOf(m_text);
}

void CSendCommand::serialize(QByteArray& body) {
    body.resize(m_text.size() * 2);
    qToLittleEndian<quint16>(m_text.constData(), m_text.size(), body.data());
}
