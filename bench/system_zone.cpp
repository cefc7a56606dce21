// Linked into a benchmark, this sets up local time before main() as velm-report's main does, so
// figures are those of the service under systemd (TZ unset). VELM_BENCH_UNPINNED_ZONE=1 leaves
// it out, to show what it saves.
#include "VXNServiceFramework/time/SystemZone.h"

#include <QtGlobal>

#include <memory>

namespace {

std::unique_ptr<SystemZone> systemZoneAsInTheService() {
    if (qEnvironmentVariableIsSet("VELM_BENCH_UNPINNED_ZONE"))
        return nullptr;
    return std::make_unique<SystemZone>();
}

const std::unique_ptr<SystemZone> kSystemZone = systemZoneAsInTheService();

} // namespace
