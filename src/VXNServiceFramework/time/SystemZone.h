#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <mutex>
#include <thread>

// Local time comes from the C library. With TZ unset, glibc stats the zone file on every
// conversion to learn whether it changed: a path walk through the kernel for each one, which
// makes local time several times slower than with TZ set, where it trusts what it has read.
//
// While a SystemZone lives and TZ was unset, TZ names the zone file, so conversions take the
// fast path, and a follower thread looks at the file once per interval and has the C library
// read it again when it changed. A TZ given from outside is left alone: the C library would not
// have followed the file then either.
//
// One per process, created before other threads run (it writes the environment); the
// destructor puts TZ back as it found it.
class SystemZone {
public:
    // The file glibc reads when TZ is unset.
    static constexpr const char* kDefaultZoneFile = "/etc/localtime";
    static constexpr std::chrono::milliseconds kCheckInterval{1000};

    // An interval of zero starts no follower; reloadIfChanged() then does the following.
    explicit SystemZone(const QString& zoneFile = QString::fromLatin1(kDefaultZoneFile),
                        std::chrono::milliseconds checkInterval = kCheckInterval);
    ~SystemZone();

    SystemZone(const SystemZone&) = delete;
    SystemZone& operator=(const SystemZone&) = delete;

    // Whether TZ was unset and now names the zone file.
    bool isPinned() const { return !m_pinnedTz.isEmpty(); }

    // Has the C library read the zone file again if it changed since it was last read; true
    // when it did. Safe from any thread.
    bool reloadIfChanged();

    // What a change of the file is judged by: a file replaced, rewritten, created or removed.
    struct FileState {
        bool exists = false;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;
        bool operator==(const FileState&) const = default;
    };

private:
    void follow(std::stop_token stop, std::chrono::milliseconds interval);

    QByteArray m_zoneFile;
    QByteArray m_pinnedTz;
    std::mutex m_mutex;
    FileState m_readState;
    std::jthread m_follower;
};
