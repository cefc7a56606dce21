#include "VXNServiceFramework/packets/Packet.h"

#include "VXNServiceFramework/packets/WrongPacketFormat.h"

QString Packet::command() const {
    throw WrongPacketFormat();
}

void Packet::setResult(int, const QString&) {
    throw WrongPacketFormat();
}

int Packet::result() const {
    throw WrongPacketFormat();
}

QString Packet::details() const {
    throw WrongPacketFormat();
}
