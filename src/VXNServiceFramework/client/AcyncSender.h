#pragma once

#include "VXNServiceFramework/threads/Thread.h"

#include <memory>

class Packet;
class ServiceClient;

// Delivers one request without waiting for its answer, on a thread of the client's sender group,
// which deletes it (and the request with it) once the send has ended.
class AcyncSender : public Thread {
public:
    AcyncSender(ThreadGroup* group, ServiceClient& client, std::unique_ptr<Packet> request);
    ~AcyncSender() override;

protected:
    void run() override;

private:
    ServiceClient& m_client;
    std::unique_ptr<Packet> m_request;
};
