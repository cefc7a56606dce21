#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A zone file of the test's own, kept the way /etc/localtime is: a link into the system's
// time-zone database, replaced as a whole when the zone changes.
class ZoneFile {
public:
    explicit ZoneFile(const char* zone);

    QString path() const { return m_dir.filePath(QStringLiteral("localtime")); }
    void switchTo(const char* zone);
    void remove();

private:
    QTemporaryDir m_dir;
};

// TZ unset for the scope, as a systemd unit runs; put back as it was afterwards.
class UnsetTz {
public:
    UnsetTz();
    ~UnsetTz();

    UnsetTz(const UnsetTz&) = delete;
    UnsetTz& operator=(const UnsetTz&) = delete;

private:
    bool m_wasSet;
    QByteArray m_value;
};

// The local offset from UTC, in seconds, at an instant given in UTC ("2026-07-01T12:00:00Z").
int localOffsetAt(const char* utcIso);
