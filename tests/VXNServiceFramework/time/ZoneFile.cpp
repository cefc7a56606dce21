#include "ZoneFile.h"

#include <QDateTime>
#include <QtGlobal>

#include <filesystem>
#include <stdexcept>

namespace {
constexpr const char* kZoneDatabase = "/usr/share/zoneinfo/";
} // namespace

ZoneFile::ZoneFile(const char* zone) {
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary directory for the zone file");
    switchTo(zone);
}

void ZoneFile::switchTo(const char* zone) {
    // A fresh link renamed over the old one, as timedatectl does: readers never see no file.
    const std::filesystem::path target = path().toStdString();
    const std::filesystem::path fresh = target.string() + ".new";
    std::filesystem::remove(fresh);
    std::filesystem::create_symlink(std::string(kZoneDatabase) + zone, fresh);
    std::filesystem::rename(fresh, target);
}

void ZoneFile::remove() {
    std::filesystem::remove(path().toStdString());
}

UnsetTz::UnsetTz() : m_wasSet(qEnvironmentVariableIsSet("TZ")), m_value(qgetenv("TZ")) {
    qunsetenv("TZ");
}

UnsetTz::~UnsetTz() {
    if (m_wasSet)
        qputenv("TZ", m_value);
    else
        qunsetenv("TZ");
}

int localOffsetAt(const char* utcIso) {
    const QDateTime utc = QDateTime::fromString(QString::fromLatin1(utcIso), Qt::ISODate);
    return QDateTime::fromMSecsSinceEpoch(utc.toMSecsSinceEpoch(), Qt::LocalTime).offsetFromUtc();
}
