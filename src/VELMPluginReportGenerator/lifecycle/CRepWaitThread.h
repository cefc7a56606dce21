#pragma once

#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"

#include <QThread>
#include <atomic>
#include <chrono>
#include <memory>

class ReportCommands;

// Polls a report's status until it has finished or failed, for callers that must wait for a
// report before they use it.
class CRepWaitThread : public QThread {
public:
    static constexpr std::chrono::milliseconds defaultPollInterval{100};

    CRepWaitThread(ReportCommands& commands, CmdRGPGetReportStatusRequest& request,
                   std::chrono::milliseconds pollInterval = defaultPollInterval);
    ~CRepWaitThread() override;

    void stop() { m_stop.store(true, std::memory_order_release); }
    // The last status answer; valid after the thread has ended (null if it never asked).
    const CmdRGPGetReportStatusResponse* lastResponse() const { return m_response.get(); }

protected:
    void run() override;

private:
    ReportCommands& m_commands;
    CmdRGPGetReportStatusRequest& m_request;
    std::unique_ptr<CmdRGPGetReportStatusResponse> m_response;
    std::atomic<bool> m_stop{false};
    std::chrono::milliseconds m_pollInterval;
};
