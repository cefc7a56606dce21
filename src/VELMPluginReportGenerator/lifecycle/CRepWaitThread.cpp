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
    wait();
}

void CRepWaitThread::run() {
    for (;;) {
        QThread::msleep(static_cast<unsigned long>(m_pollInterval.count()));
        m_response = m_commands.getReportStatus(m_request);
        if (m_response->result() != ResultCode::Ok || m_response->reportStatus == finishedStatus ||
            m_stop.load(std::memory_order_acquire))
            return;
    }
}
