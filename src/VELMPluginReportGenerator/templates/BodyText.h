#pragma once

#include <QByteArray>
#include <QString>

class Packet;

// DOM-family bodies are UTF-16 little-endian code units; templates travel as their text.
namespace bodyText {

QString fromBody(const QByteArray& body);
QByteArray toBody(const QString& text);
// The text a packet writes.
QString of(Packet& packet);

} // namespace bodyText
