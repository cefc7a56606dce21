#include "FleetDevice.h"

#include "FleetRandom.h"

#include <algorithm>
#include <cstring>

namespace {
bool same(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}
} // namespace

int SupplyState::level() const {
    return int(std::max<qint64>(0, 100 - used / type->pagesPerUnit));
}

bool FleetDevice::duplexCapable() const {
    return model->ppm >= 36 || FleetCatalog::isMfp(model->kind);
}

void FleetDevice::buildCounterRows() {
    using namespace FleetCatalog;
    const bool color = isColor(model->kind);
    const bool mfp = isMfp(model->kind);
    std::vector<const char*> sizes{"small"};
    if (hasLargeMedia(model->kind))
        sizes.push_back("large");
    std::vector<const char*> modes{"simplex"};
    if (duplexCapable())
        modes.push_back("duplex");
    std::vector<const char*> colors{"monoColor"};
    if (color)
        colors.push_back("fullColor");

    counters.clear();
    for (const char* job : {"print", "copy"}) {
        if (same(job, "copy") && !mfp)
            continue;
        for (const char* size : sizes)
            for (const char* mode : modes)
                for (const char* c : colors)
                    counters.push_back({job, size, mode, c});
    }
    if (mfp) {
        for (const char* c : colors)
            counters.push_back({"scan", "small", "simplex", c});
        counters.push_back({"faxIn", "small", "simplex", "monoColor"});
    }
    counters.push_back({"report", "small", "simplex", "monoColor"});
}

void FleetDevice::count(const char* jobType, const char* mediaSize, bool duplex, bool color,
                        int pages) {
    const char* mode = duplex ? "duplex" : "simplex";
    const char* colorMode = color ? "fullColor" : "monoColor";
    for (auto& row : counters) {
        if (same(row.jobType, jobType) && same(row.mediaSize, mediaSize) &&
            same(row.printMode, mode) && same(row.colorMode, colorMode)) {
            row.value += duplex ? (pages + 1) / 2 : pages;
            return;
        }
    }
}

bool FleetDevice::consume(int pages, bool color, qint64 now, FleetRandom& random) {
    bool changed = false;
    for (int index = 0; index < int(supplies.size()); ++index) {
        auto& supply = supplies[std::size_t(index)];
        const bool toner = same(supply.type->type, "toner");
        if (toner && supply.type->colorOnly && !color)
            continue;
        supply.used += pages;
        if (!toner) {
            if (supply.level() == 0)
                supply.used = 0; // drums and fusers are swapped at the next service visit
            continue;
        }
        const int level = supply.level();
        const int wanted = level == 0 ? 2 : (level < 10 ? 1 : 0);
        if (wanted <= supply.alertLevel)
            continue;
        if (!supply.replaceAt && !neglected)
            supply.replaceAt = now + qint64(random.between(12, 240)) * 3600;
        const auto& type =
            wanted == 2 ? FleetCatalog::tonerEmptyAlert() : FleetCatalog::tonerLowAlert();
        std::erase_if(alerts, [&](const ActiveAlert& a) { return a.supply == index; });
        alerts.push_back({&type, now, 0, index});
        supply.alertLevel = wanted;
        changed = true;
    }
    return changed;
}

bool FleetDevice::maintain(qint64 now) {
    bool changed = false;
    for (int index = 0; index < int(supplies.size()); ++index) {
        auto& supply = supplies[std::size_t(index)];
        if (supply.replaceAt && now >= supply.replaceAt) {
            supply.used = 0;
            supply.replaceAt = 0;
            if (supply.alertLevel) {
                std::erase_if(alerts, [&](const ActiveAlert& a) { return a.supply == index; });
                supply.alertLevel = 0;
                changed = true;
            }
        }
    }
    const auto before = alerts.size();
    std::erase_if(alerts, [&](const ActiveAlert& a) { return a.clearAt && now >= a.clearAt; });
    return changed || alerts.size() != before;
}

qint64 FleetDevice::totalImpressions() const {
    qint64 total = 0;
    for (const auto& row : counters) {
        if (same(row.jobType, "scan"))
            continue;
        total += same(row.printMode, "duplex") ? 2 * row.value : row.value;
    }
    return total;
}

const char* FleetDevice::errorState() const {
    int worst = 0;
    for (const auto& supply : supplies)
        if (same(supply.type->type, "toner"))
            worst = std::max(worst, supply.level() == 0 ? 2 : (supply.level() < 10 ? 1 : 0));
    if (worst == 2)
        return "noToner";
    if (worst == 1)
        return "lowToner";
    for (const auto& alert : alerts) {
        if (same(alert.type->code, "jam"))
            return "jammed";
        if (same(alert.type->group, "cover"))
            return "doorOpen";
        if (same(alert.type->code, "inputMediaSupplyEmpty"))
            return "noPaper";
        if (same(alert.type->training, "fieldService"))
            return "serviceRequested";
    }
    return "noError";
}

const char* FleetDevice::status() const {
    if (retiredAt)
        return "down";
    bool warning = false;
    for (const auto& alert : alerts) {
        if (same(alert.type->severity, "critical"))
            return "down";
        warning = true;
    }
    return warning ? "warning" : "running";
}
