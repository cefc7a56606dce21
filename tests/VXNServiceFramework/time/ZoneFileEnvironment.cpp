// The scheduler's daylight-saving tests, run as the service runs under systemd: TZ unset and the
// zone coming from a zone file.
#include "VXNServiceFramework/time/SystemZone.h"

#include "ZoneFile.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class BerlinZoneFile : public testing::Environment {
public:
    void SetUp() override {
        m_unsetTz = std::make_unique<UnsetTz>();
        m_zoneFile = std::make_unique<ZoneFile>("Europe/Berlin");
        m_zone = std::make_unique<SystemZone>(m_zoneFile->path());
    }
    void TearDown() override {
        m_zone.reset();
        m_zoneFile.reset();
        m_unsetTz.reset();
    }

private:
    std::unique_ptr<UnsetTz> m_unsetTz;
    std::unique_ptr<ZoneFile> m_zoneFile;
    std::unique_ptr<SystemZone> m_zone;
};

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new BerlinZoneFile);

} // namespace
