#pragma once

#include "VELMPluginReportGenerator/Commands/CmdRGPGenerateAndSendReportByEmailRequest.h"
#include "VELMPluginReportGenerator/lifecycle/CRepWaitThread.h"

#include <chrono>
#include <memory>

class VELMReportGenerator;

// Runs a template: generates its report, waits for it and mails it to the template's
// recipients; a report that fails sends them a notice with the failure instead. Blocks the
// request's thread until the mail is sent.
class GenerateAndSendCommand {
public:
    explicit GenerateAndSendCommand(
        VELMReportGenerator& generator,
        std::chrono::milliseconds pollInterval = CRepWaitThread::defaultPollInterval)
        : m_generator(generator), m_pollInterval(pollInterval) {}

    std::unique_ptr<CmdRGPGenerateAndSendReportByEmailResponse>
    generateAndSend(CmdRGPGenerateAndSendReportByEmailRequest& request);

    // The request text of the part <tag>...</tag> of a template text (from the first opening to
    // the last closing tag); empty unless it starts after the text's first character and is
    // longer than 20 characters.
    static QString partOf(const QString& text, const QString& tag);

private:
    std::unique_ptr<CmdRGPGenerateAndSendReportByEmailResponse>
    generateAndMail(CmdRGPGenerateAndSendReportByEmailRequest& request);

    VELMReportGenerator& m_generator;
    std::chrono::milliseconds m_pollInterval;
};
