#include "support/RequestRecorder.h"

#include <algorithm>
#include <chrono>

void RequestRecorder::record(const QString& command, const QByteArray& body) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back({command, body});
    m_recorded.notify_all();
}

void RequestRecorder::clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
}

std::vector<RequestRecorder::Call> RequestRecorder::calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

QStringList RequestRecorder::commands() const {
    QStringList result;
    for (const Call& call : calls())
        result.append(call.command);
    return result;
}

int RequestRecorder::count(const QString& command) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return countLocked(command);
}

bool RequestRecorder::waitForCount(int count, const QString& command, int msecs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_recorded.wait_for(lock, std::chrono::milliseconds(msecs),
                               [&] { return countLocked(command) >= count; });
}

int RequestRecorder::countLocked(const QString& command) const {
    if (command.isEmpty())
        return int(m_calls.size());
    return int(std::count_if(m_calls.cbegin(), m_calls.cend(),
                             [&](const Call& call) { return call.command == command; }));
}
