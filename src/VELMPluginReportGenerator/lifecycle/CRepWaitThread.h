#pragma once

#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportStatusResponse.h"
#include "VELMPluginReportGenerator/Commands/CmdRGPReportIdRequest.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

class ReportCommands;

// Polls a report's status until it has finished or failed, for callers that must wait for a
// report before they use it.
class CRepWaitThread {
public:
    static constexpr std::chrono::milliseconds defaultPollInterval{100};

    CRepWaitThread(ReportCommands& commands, CmdRGPGetReportStatusRequest& request,
                   std::chrono::milliseconds pollInterval = defaultPollInterval);
    ~CRepWaitThread();
    CRepWaitThread(const CRepWaitThread&) = delete;
    CRepWaitThread& operator=(const CRepWaitThread&) = delete;

    void start();
    // Waits for the end at most `limit`; true when the thread has ended.
    bool wait(std::chrono::milliseconds limit = std::chrono::milliseconds::max());

    void stop() { m_stop.store(true, std::memory_order_release); }
    // The last status answer; valid after the thread has ended (null if it never asked).
    const CmdRGPGetReportStatusResponse* lastResponse() const { return m_response.get(); }

private:
    void run();

    ReportCommands& m_commands;
    CmdRGPGetReportStatusRequest& m_request;
    std::unique_ptr<CmdRGPGetReportStatusResponse> m_response;
    std::atomic<bool> m_stop{false};
    std::chrono::milliseconds m_pollInterval;
    std::mutex m_mutex;
    std::condition_variable m_endedCondition;
    bool m_ended = false; // under m_mutex
    std::thread m_thread;
};
