#pragma once

#include "VXNServiceFramework/packets/Packet.h"

#include <QString>

// The request that one firing of a schedule item sends. Its body is the stored command text
// itself, written as UTF-16LE like every DOM-family packet: the text already is a complete
// request document.
class CSendCommand : public Packet {
public:
    CSendCommand() = default;
    CSendCommand(QString command, QString text);

    // Takes a UTF-16LE body; the command name is cut out of it again.
    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    QString command() const override { return m_command; }
    const QString& text() const { return m_text; }

private:
    QString m_command;
    QString m_text;
};
