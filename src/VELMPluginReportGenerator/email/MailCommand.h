#pragma once

#include "VELMPluginReportGenerator/Commands/CmdRGPSendReportByEmailRequest.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPSendReportByEmailResponse.h"

#include <memory>

class VELMReportGenerator;

// "RGPSendReportByEmail": mails a finished report on the requester's thread.
class MailCommand {
public:
    explicit MailCommand(VELMReportGenerator& generator) : m_generator(generator) {}

    std::unique_ptr<CmdRGPSendReportByEmailResponse>
    sendReportByEmail(CmdRGPSendReportByEmailRequest& request);

private:
    VELMReportGenerator& m_generator;
};
