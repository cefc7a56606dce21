#include "peers/CmdDMSGetPropertiesResponse.h"

void CmdDMSGetPropertiesResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    properties = childElementMap(QStringLiteral("PropertyList"));
}

void CmdDMSGetPropertiesResponse::serialize(QByteArray& body) {
    buildDocument();
    addElementMap(QStringLiteral("PropertyList"), properties);
    ResponsePacket::serialize(body);
}
