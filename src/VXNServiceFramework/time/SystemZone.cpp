#include "VXNServiceFramework/time/SystemZone.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <condition_variable>
#include <ctime>
#include <sys/stat.h>

namespace {

constexpr const char* kTz = "TZ";

qint64 nanoseconds(const timespec& t) {
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

SystemZone::FileState stateOf(const QByteArray& path) {
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return {};
    return {true,
            quint64(info.st_dev),
            quint64(info.st_ino),
            qint64(info.st_size),
            nanoseconds(info.st_mtim),
            nanoseconds(info.st_ctim)};
}

// qputenv and qunsetenv take the lock that Qt holds around its own tzset() and mktime() calls,
// so Qt's conversions never read TZ while it is being written.
void setTzAndReload(const QByteArray& value) {
    qputenv(kTz, value);
    ::tzset();
}

} // namespace

SystemZone::SystemZone(const QString& zoneFile, std::chrono::milliseconds checkInterval) {
    if (qEnvironmentVariableIsSet(kTz))
        return;
    m_zoneFile = QFile::encodeName(QDir::cleanPath(QFileInfo(zoneFile).absoluteFilePath()));
    // A leading colon tells glibc that a file follows, not a rule.
    m_pinnedTz = ':' + m_zoneFile;
    // The state is taken before glibc reads the file, so a change in between is caught by the
    // next check rather than lost.
    m_readState = stateOf(m_zoneFile);
    setTzAndReload(m_pinnedTz);
    if (checkInterval > std::chrono::milliseconds::zero())
        m_follower = std::jthread([this, checkInterval](std::stop_token stop) {
            follow(std::move(stop), checkInterval);
        });
}

SystemZone::~SystemZone() {
    if (m_follower.joinable()) {
        m_follower.request_stop();
        m_follower.join();
    }
    if (!isPinned())
        return;
    qunsetenv(kTz);
    ::tzset();
}

bool SystemZone::reloadIfChanged() {
    if (!isPinned())
        return false;
    const std::lock_guard lock(m_mutex);
    const FileState now = stateOf(m_zoneFile);
    if (now == m_readState)
        return false;
    // glibc reads the file again only when TZ differs from what it saw last: name the same file
    // another way for one tzset(), then put the usual name back.
    setTzAndReload(":/." + m_zoneFile);
    setTzAndReload(m_pinnedTz);
    m_readState = now;
    return true;
}

void SystemZone::follow(std::stop_token stop, std::chrono::milliseconds interval) {
    std::mutex waitMutex;
    std::condition_variable_any wake;
    while (true) {
        {
            std::unique_lock lock(waitMutex);
            wake.wait_for(lock, stop, interval, [] { return false; });
        }
        if (stop.stop_requested())
            return;
        reloadIfChanged();
    }
}
