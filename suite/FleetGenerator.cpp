#include "FleetGenerator.h"

#include "DeviceProperties.h"
#include "FleetDevice.h"
#include "FleetRandom.h"
#include "FleetSchema.h"
#include "FleetWriter.h"
#include "Sqlite.h"

#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {
using namespace FleetCatalog;
namespace P = DeviceProperty;

constexpr qint64 kHour = 3600;
constexpr qint64 kDay = 86400;
constexpr int kDiscoveryHour = 2;
constexpr int kFirstWorkingHour = 7;
constexpr int kLastWorkingHour = 18;

struct User {
    int id;
    int site;
};

std::string format(const char* pattern, auto... args) {
    char buffer[128];
    const int n = std::snprintf(buffer, sizeof buffer, pattern, args...);
    return std::string(buffer, std::size_t(std::max(0, n)));
}

class Generator {
public:
    Generator(SqliteConnection& db, const FleetOptions& options)
        : m_db(db), m_write(db), m_random(options.seed * 0x2545F4914F6CDD1Dull + 7),
          m_end(options.end - options.end % kHour), m_start(m_end - qint64(options.days) * kDay),
          m_options(options) {}

    FleetStats run() {
        writeGroupsAndUsers();
        createDevices();
        for (qint64 hour = m_start; hour < m_end; hour += kHour)
            simulateHour(hour);
        for (auto& device : m_devices)
            writeCurrentValues(device);
        m_stats.devices = int(m_devices.size());
        return m_stats;
    }

private:
    void writeGroupsAndUsers() {
        SqliteStatement model(m_db, QStringLiteral("INSERT INTO Models (ModelID, ModelName, "
                                                   "Manufacturer, Color, Duplex, PPM) "
                                                   "VALUES (?,?,?,?,?,?)"));
        int modelId = 0;
        for (const auto& m : models()) {
            FleetDevice probe;
            probe.model = &m;
            model.bind(1, ++modelId).bind(2, m.name).bind(3, m.manufacturer);
            model.bind(4, isColor(m.kind) ? 1 : 0).bind(5, probe.duplexCapable() ? 1 : 0);
            model.bind(6, m.ppm).run();
        }

        SqliteStatement group(m_db, QStringLiteral("INSERT INTO Groups (GroupID, Name, "
                                                   "Description) VALUES (?,?,?)"));
        int groupId = 0;
        for (const auto& site : sites())
            group.bind(1, ++groupId).bind(2, site.name).bind(3, "Devices at the site").run();
        m_firstDepartmentGroup = groupId + 1;
        for (const char* department : departments())
            group.bind(1, ++groupId).bind(2, department).bind(3, "Department devices").run();
        group.bind(1, ++groupId).bind(2, emptyGroupName()).bind(3, "Devices in stock").run();

        SqliteStatement userGroup(
            m_db, QStringLiteral("INSERT INTO UserGroups (UserGroupID, Name) VALUES (?,?)"));
        int userGroupId = 0;
        for (const char* department : departments())
            userGroup.bind(1, ++userGroupId).bind(2, department).run();

        SqliteStatement user(m_db, QStringLiteral("INSERT INTO Users (UserID, Login, UserName, "
                                                  "R_UserGroupID) VALUES (?,?,?,?)"));
        const int count = std::max(12, m_options.devices * 2);
        for (int id = 1; id <= count; ++id) {
            const char* first = m_random.pick(firstNames());
            const char* last = m_random.pick(lastNames());
            std::string login(1, char(std::tolower(first[0])));
            for (const char* c = last; *c; ++c)
                if (std::isalpha(static_cast<unsigned char>(*c)))
                    login += char(std::tolower(static_cast<unsigned char>(*c)));
            login += std::to_string(id);
            const std::string name = std::string(first) + " " + last;
            user.bind(1, id).bind(2, QString::fromStdString(login));
            user.bind(3, QString::fromStdString(name)).bind(4, m_random.between(1, userGroupId));
            user.run();
            m_users.push_back({id, pickSite()});
        }
        m_stats.users = count;
    }

    int pickSite() {
        // The headquarters hold about 40 % of the fleet.
        return m_random.chance(0.4) ? 0 : m_random.between(1, int(sites().size()) - 1);
    }

    const Model* pickModel() {
        const double r = m_random.unit();
        const int index = r < 0.40   ? m_random.between(0, 2)
                          : r < 0.65 ? m_random.between(3, 4)
                          : r < 0.90 ? m_random.between(5, 6)
                                     : m_random.between(7, 8);
        return &models()[std::size_t(index)];
    }

    std::string nextIp(int site) {
        const int n = m_nextHost[site]++;
        return format("10.%d.%d.%d", sites()[std::size_t(site)].subnet, 1 + n / 240, 10 + n % 240);
    }

    void createDevices() {
        const int count = m_options.devices;
        const int newcomers = count >= 3 ? std::max(1, count / 10) : 0;
        const qint64 range = m_end - m_start;
        m_devices.resize(std::size_t(count));
        for (int i = 1; i <= count; ++i) {
            FleetDevice& d = m_devices[std::size_t(i - 1)];
            d.id = i;
            d.model = pickModel();
            d.siteIndex = pickSite();
            d.site = &sites()[std::size_t(d.siteIndex)];
            const bool newcomer = i > count - newcomers;
            d.added = newcomer ? m_start + qint64(m_random.unit() * 0.8 * double(range))
                               : m_start - qint64(m_random.between(30, 1200)) * kDay;
            if (!newcomer && count >= 3 && i % 29 == 2)
                d.retiredAt = m_start + qint64((0.4 + 0.5 * m_random.unit()) * double(range));
            if (i == 1)
                d.resetAt = m_start + range / 2;
            d.offlineChance = i % 11 == 3 ? 0.25 : 0.02;
            // Every report has something to show even in small fleets: a device short of
            // toner and a device whose address changes between two discoveries.
            d.neglected = !newcomer && !d.retiredAt && i % 16 == 6;
            d.movesAddress = !newcomer && !d.retiredAt && i % 13 == 5;
            d.sampleOffset = 60 + int((quint64(i) * 7919u + m_options.seed) % 3480u);
            d.hostName = format("prn-%s-%03d", d.site->tag, i);
            d.ip = nextIp(d.siteIndex);
            d.mac = format("00:1B:A9:%02X:%02X:%02X", (i >> 16) & 0xFF, (i >> 8) & 0xFF, i & 0xFF);
            d.serial = format("%.2s%08d", d.model->manufacturer, m_random.between(0, 99999999));
            std::transform(d.serial.begin(), d.serial.end(), d.serial.begin(), [](char c) {
                return char(std::toupper(static_cast<unsigned char>(c)));
            });
            d.location = format("%s, Floor %d, Room %d", d.site->location, m_random.between(0, 5),
                                m_random.between(100, 450));
            for (const auto& user : m_users)
                if (user.site == d.siteIndex && m_random.chance(0.5))
                    d.users.push_back(user.id);
            if (d.users.empty())
                d.users.push_back(m_users[std::size_t(i) % m_users.size()].id);

            d.buildCounterRows();
            const bool fresh = d.added >= m_start;
            for (auto& row : d.counters)
                row.value = fresh ? 0 : m_random.between(0, 60000);
            for (const auto& supply : supplies()) {
                if (supply.colorOnly && !isColor(d.model->kind))
                    continue;
                const qint64 capacity = qint64(supply.pagesPerUnit) * 100;
                const qint64 used = fresh ? 0 : m_random.between(0, 85) * capacity / 100;
                const bool nearlyEmpty = d.neglected && std::strcmp(supply.type, "toner") == 0;
                d.supplies.push_back(
                    {&supply, nearlyEmpty ? capacity - supply.pagesPerUnit : used});
            }
            planFirmware(d);

            m_write.device(d.id, int(d.model - models().data()) + 1, d.added);
            m_write.membership(d.id, d.siteIndex + 1);
            if (m_random.chance(0.6))
                m_write.membership(d.id, m_firstDepartmentGroup +
                                             m_random.below(int(departments().size())));
        }
    }

    void planFirmware(FleetDevice& d) {
        int engineMinor = m_random.between(0, 5);
        int nicBuild = m_random.between(10, 40);
        d.engineVersion = format("%s.2.%d", d.model->engineFamily, engineMinor);
        d.nicVersion = format("NIC 3.1.%d", nicBuild);
        const qint64 from = std::max(d.added, m_start);
        const qint64 until = d.retiredAt ? d.retiredAt : m_end;
        if (until <= from)
            return;
        const auto when = [&] {
            return from + qint64(m_random.unit() * double(until - from));
        };
        if (m_random.chance(0.35)) {
            const std::string next =
                format("%s.2.%d", d.model->engineFamily, engineMinor + m_random.between(1, 3));
            d.firmware.push_back({when(), true, d.engineVersion, next});
        }
        if (m_random.chance(0.25)) {
            const std::string next = format("NIC 3.1.%d", nicBuild + m_random.between(1, 6));
            d.firmware.push_back({when(), false, d.nicVersion, next});
        }
    }

    void simulateHour(qint64 hour) {
        const int hourOfDay = int((hour / kHour) % 24);
        const int weekday = int((hour / kDay + 3) % 7); // 0 = Monday
        const bool working =
            weekday < 5 && hourOfDay >= kFirstWorkingHour && hourOfDay < kLastWorkingHour;
        if (hourOfDay == kDiscoveryHour)
            discover(hour);
        for (auto& device : m_devices) {
            const qint64 sample = hour + device.sampleOffset;
            if (!device.activeAt(sample))
                continue;
            simulateDevice(device, sample, working, hourOfDay == 0);
        }
    }

    void discover(qint64 time) {
        const int id = m_write.discovery(time, time + 300 + qint64(m_devices.size()) / 2);
        ++m_stats.discoveries;
        for (auto& device : m_devices) {
            if (!device.activeAt(time))
                continue;
            if (m_random.chance(1.0 / 400))
                device.ip = nextIp(device.siteIndex); // a new DHCP lease
            if (device.movesAddress && time >= m_start + (m_end - m_start) / 2) {
                device.ip = nextIp(device.siteIndex);
                device.movesAddress = false;
            }
            if (m_random.chance(device.offlineChance))
                continue;
            const bool isNew = !device.discovered && device.added >= m_start;
            device.discovered = true;
            m_write.discoveryResult(device.id, id, device.ip, isNew);
        }
    }

    void simulateDevice(FleetDevice& d, qint64 sample, bool working, bool heartbeat) {
        bool countersChanged = d.lastSample == 0 || heartbeat;
        bool alertsChanged = d.maintain(sample);

        // Lifetime counters of real devices go back to zero only when their controller is
        // replaced, about once in decades; more often, the resets outweigh a whole fleet's
        // printing in its usage charts.
        const bool forcedReset = d.resetAt && sample >= d.resetAt && d.lastSample < d.resetAt;
        if (forcedReset || m_random.chance(1.0 / (24 * 365 * 30))) {
            for (auto& row : d.counters)
                row.value = 0;
            d.lastReset = sample;
            ++m_stats.resets;
            countersChanged = true;
        }

        const double mean = d.model->jobsPerHour * (working ? 1.0 : 0.04);
        for (int n = m_random.poisson(mean); n > 0; --n)
            alertsChanged |= runJob(d, sample - kHour + 1 + m_random.below(kHour), working);
        if (isMfp(d.model->kind)) {
            for (int n = m_random.poisson(working ? 0.3 : 0.05); n > 0; --n) {
                const int pages = m_random.between(1, 5);
                d.count("faxIn", "small", false, false, pages);
                alertsChanged |= d.consume(pages, false, sample, m_random);
                countersChanged = true;
            }
        }
        if (m_random.chance(0.002)) {
            d.count("report", "small", false, false, 1);
            countersChanged = true;
        }
        countersChanged |= m_jobsThisHour > 0;
        m_jobsThisHour = 0;

        if (m_random.chance(working ? 0.01 : 0.002)) {
            raiseAlert(d, sample - m_random.below(kHour));
            alertsChanged = true;
        }
        applyFirmware(d, sample);

        if (countersChanged)
            writeCounterSample(d, sample);
        if (alertsChanged)
            writeAlertSample(d, sample);
        d.lastSample = sample;
    }

    bool runJob(FleetDevice& d, qint64 time, bool working) {
        const bool mfp = isMfp(d.model->kind);
        const bool color = isColor(d.model->kind);
        const double r = m_random.unit();
        const char* type = !mfp       ? "print"
                           : r < 0.6  ? "print"
                           : r < 0.85 ? "copy"
                           : r < 0.95 ? "scan"
                                      : "fax";
        int pages = 1 + int(-std::log(1.0 - m_random.unit()) * (working ? 6.0 : 3.0));
        pages = std::min(pages, 250);
        const bool isScan = std::strcmp(type, "scan") == 0;
        const bool isFax = std::strcmp(type, "fax") == 0;
        const bool inColor = color && !isFax &&
                             m_random.chance(isScan                           ? 0.5
                                             : std::strcmp(type, "copy") == 0 ? 0.25
                                                                              : 0.35);
        const bool duplex =
            !isScan && !isFax && d.duplexCapable() && pages > 1 && m_random.chance(0.45);
        const double p = m_random.unit();
        const bool large = hasLargeMedia(d.model->kind) && !isScan && !isFax && p < 0.15;
        const char* paper = large ? (p < 0.05 ? "Legal" : "Other") : (p < 0.8 ? "A4" : "Letter");
        const bool staple = !isScan && !isFax && mfp && pages > 5 && m_random.chance(0.2);
        static constexpr const char* kDestinations[] = {"Email", "Email",       "SMB",
                                                        "FTP",   "Application", "USB"};
        const char* destination = isScan ? m_random.pick(kDestinations) : "";
        const int user = d.users[std::size_t(m_random.below(int(d.users.size())))];

        m_write.job(user, d.id, time, type, pages, inColor ? "color" : "mono",
                    duplex ? "duplex" : "simplex", paper, staple, destination);
        ++m_stats.jobs;
        if (isFax)
            return false; // sent faxes print nothing
        ++m_jobsThisHour;
        d.count(type, large ? "large" : "small", duplex, inColor, pages);
        return !isScan && d.consume(pages, inColor, time, m_random);
    }

    void raiseAlert(FleetDevice& d, qint64 time) {
        double total = 0;
        for (const auto& a : spontaneousAlerts())
            total += a.weight;
        double r = m_random.unit() * total;
        const AlertType* type = &spontaneousAlerts().back();
        for (const auto& a : spontaneousAlerts()) {
            if ((r -= a.weight) < 0) {
                type = &a;
                break;
            }
        }
        const qint64 hours = m_random.between(type->minHours, type->maxHours);
        d.alerts.push_back({type, time, time + hours * kHour});
        ++m_stats.alerts;
    }

    void applyFirmware(FleetDevice& d, qint64 sample) {
        for (const auto& change : d.firmware) {
            if (change.time > sample - kHour && change.time <= sample) {
                (change.engine ? d.engineVersion : d.nicVersion) = change.newVersion;
                m_write.upgrade(d.id, change.engine ? "Engine" : "NIC", change.newVersion,
                                change.oldVersion, change.time);
                ++m_stats.upgrades;
            }
        }
    }

    void writeCounterSample(const FleetDevice& d, qint64 time) {
        qint64 first = 0;
        int row = 0;
        for (const auto& counter : d.counters) {
            ++row;
            const qint64 id =
                cell(d.id, P::CounterTable, P::Counter::JobType, row, time, counter.jobType);
            first = first ? first : id;
            cell(d.id, P::CounterTable, P::Counter::MediaSize, row, time, counter.mediaSize);
            cell(d.id, P::CounterTable, P::Counter::PrintMode, row, time, counter.printMode);
            cell(d.id, P::CounterTable, P::Counter::ColorMode, row, time, counter.colorMode);
            cell(d.id, P::CounterTable, P::Counter::Value, row, time, Decimal(counter.value));
        }
        m_write.sampleStamp(first, time);
        ++m_stats.counterSamples;
    }

    void writeAlertSample(const FleetDevice& d, qint64 time) {
        qint64 first = 0;
        int row = 0;
        for (const auto& alert : d.alerts) {
            const qint64 id = alertCells(d.id, ++row, time, alert, true);
            first = first ? first : id;
        }
        if (first)
            m_write.sampleStamp(first, time);
    }

    qint64 alertCells(int device, int row, qint64 time, const ActiveAlert& alert, bool history) {
        const auto put = [&](int column, std::string_view value) -> qint64 {
            if (history)
                return cell(device, P::Alerts, column, row, time, value);
            m_write.currentCell(device, P::Alerts, column, row, time, value);
            return 0;
        };
        const qint64 first = put(P::Alert::Code, alert.type->code);
        put(P::Alert::Description, alert.type->description);
        put(P::Alert::Severity, alert.type->severity);
        put(P::Alert::Training, alert.type->training);
        put(P::Alert::Group, alert.type->group);
        put(P::Alert::Time, Decimal(alert.time));
        return first;
    }

    qint64 cell(int device, int property, int column, int row, qint64 time,
                std::string_view value) {
        ++m_stats.historyCells;
        return m_write.historyCell(device, property, column, row, time, value);
    }

    void writeCurrentValues(const FleetDevice& d) {
        const qint64 time = d.lastSample ? d.lastSample : d.added;
        const auto simple = [&](int property, std::string_view value) {
            m_write.currentCell(d.id, property, P::ValueColumn, 0, time, value);
        };
        const bool color = isColor(d.model->kind);
        simple(P::Status, d.status());
        simple(P::HostName, d.hostName);
        simple(P::IP, d.ip);
        simple(P::MAC, d.mac);
        simple(P::Contact, format("helpdesk-%s@example.com", d.site->tag));
        simple(P::Location, d.location);
        simple(P::ModelName, d.model->name);
        simple(P::Manufacturer, d.model->manufacturer);
        simple(P::Serial, d.serial);
        simple(P::Color, color ? "True" : "False");
        simple(P::Duplex, d.duplexCapable() ? "True" : "False");
        simple(P::PPM, Decimal(d.model->ppm));
        simple(P::PhysicalMemory, Decimal(d.model->memoryMb));
        simple(P::SubnetMask, "255.255.255.0");
        simple(P::Gateway, format("10.%d.1.1", d.site->subnet));
        simple(P::CounterUnit, "impressions");
        simple(P::CountMarker, Decimal(d.totalImpressions()));
        simple(P::SysDescription, format("%s %s, engine %s", d.model->manufacturer, d.model->name,
                                         d.engineVersion.c_str()));
        simple(P::PPMUnit, "ppm");
        simple(P::SystemUptime,
               Decimal(std::max<qint64>(0, time - std::max(d.lastReset, d.added))));
        simple(P::ErrorState, d.errorState());
        simple(P::EngineVer, d.engineVersion);
        simple(P::NicVer, d.nicVersion);

        int row = 0;
        for (const auto& supply : d.supplies) {
            ++row;
            const auto put = [&](int column, std::string_view value) {
                m_write.currentCell(d.id, P::SupplyInfos, column, row, time, value);
            };
            put(P::Supply::Type, supply.type->type);
            put(P::Supply::Description, supply.type->description);
            put(P::Supply::Unit, "percent");
            put(P::Supply::MaxCapacity, "100");
            put(P::Supply::Level, Decimal(supply.level()));
        }
        const int trays = hasLargeMedia(d.model->kind) ? 3 : 2;
        for (row = 1; row <= trays; ++row) {
            const auto put = [&](int column, std::string_view value) {
                m_write.currentCell(d.id, P::InputTrays, column, row, time, value);
            };
            put(P::Tray::Name, format("Tray %d", row));
            put(P::Tray::Media, row == 3 ? "iso-a3" : "iso-a4");
            put(P::Tray::MaxCapacity, "500");
            put(P::Tray::Level, Decimal(int((d.id * 37 + row * 101) % 500)));
        }
        row = 0;
        for (const auto& alert : d.alerts)
            alertCells(d.id, ++row, time, alert, false);
        row = 0;
        for (const auto& counter : d.counters) {
            ++row;
            const auto put = [&](int column, std::string_view value) {
                m_write.currentCell(d.id, P::CounterTable, column, row, time, value);
            };
            put(P::Counter::JobType, counter.jobType);
            put(P::Counter::MediaSize, counter.mediaSize);
            put(P::Counter::PrintMode, counter.printMode);
            put(P::Counter::ColorMode, counter.colorMode);
            put(P::Counter::Value, Decimal(counter.value));
        }
    }

    SqliteConnection& m_db;
    FleetWriter m_write;
    FleetRandom m_random;
    qint64 m_end;
    qint64 m_start;
    FleetOptions m_options;
    FleetStats m_stats;
    std::vector<User> m_users;
    std::vector<FleetDevice> m_devices;
    int m_nextHost[8] = {};
    int m_firstDepartmentGroup = 0;
    int m_jobsThisHour = 0;
};
} // namespace

qint64 defaultFleetEnd() {
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    return now - now % kDay;
}

FleetStats generateFleet(const QString& path, const FleetOptions& options) {
    if (options.devices < 1 || options.days < 1)
        throw std::invalid_argument("the fleet needs at least one device and one day");
    if (QFileInfo::exists(path))
        throw std::invalid_argument("the database file exists already; the fleet generator "
                                    "only writes new files");
    SqliteConnection db(path);
    db.exec(QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; "
                           "PRAGMA cache_size = -131072; PRAGMA temp_store = MEMORY;"));
    FleetSchema::create(db, false);
    db.exec(QStringLiteral("BEGIN"));
    FleetStats stats;
    try {
        Generator generator(db, options);
        stats = generator.run();
        db.exec(QStringLiteral("COMMIT"));
    } catch (...) {
        db.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    FleetSchema::createIndexes(db);
    db.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    return stats;
}
