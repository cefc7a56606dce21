#include "VXNServiceFramework/client/AcyncSender.h"

#include "VXNServiceFramework/client/ServiceClient.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"

AcyncSender::AcyncSender(ThreadGroup* group, ServiceClient& client, std::unique_ptr<Packet> request)
    : Thread(group), m_client(client), m_request(std::move(request)) {}

AcyncSender::~AcyncSender() = default;

void AcyncSender::run() {
    // Whatever comes back (an in-process answer) is not wanted.
    m_client.sendCommand<ResponsePacket>(*m_request, false);
}
