#include "VELMPluginReportGenerator/lifecycle/CRepWaitThread.h"

#include "VELMPluginReportGenerator/service/ReportCommands.h"

#include "VXNServiceFramework/packets/ResultCodes.h"

namespace {
const QString finishedStatus = QStringLiteral("100");
}

CRepWaitThread::CRepWaitThread(ReportCommands& commands, CmdRGPGetReportStatusRequest& request,
                               std::chrono::milliseconds pollInterval)
    : m_commands(commands), m_request(request), m_pollInterval(pollInterval) {}

CRepWaitThread::~CRepWaitThread() {
    stop();
    if (m_thread.joinable())
        m_thread.join();
}

void CRepWaitThread::start() {
    m_thread = std::thread([this] {
        run();
        std::lock_guard lock(m_mutex);
        m_ended = true;
        m_endedCondition.notify_all();
    });
}

bool CRepWaitThread::wait(std::chrono::milliseconds limit) {
    {
        std::unique_lock lock(m_mutex);
        const auto ended = [this] {
            return m_ended;
        };
        if (limit == std::chrono::milliseconds::max())
            m_endedCondition.wait(lock, ended);
        else if (!m_endedCondition.wait_for(lock, limit, ended))
            return false;
    }
    if (m_thread.joinable())
        m_thread.join();
    return true;
}

void CRepWaitThread::run() {
    for (;;) {
        std::this_thread::sleep_for(m_pollInterval);
        m_response = m_commands.getReportStatus(m_request);
        if (m_response->result() != ResultCode::Ok || m_response->reportStatus == finishedStatus ||
            m_stop.load(std::memory_order_acquire))
            return;
    }
}
