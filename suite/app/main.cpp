#include "suite/FleetGenerator.h"
#include "suite/PeerSuite.h"
#include "suite/SettingsWriter.h"
#include "suite/Sqlite.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/app/StopSignalNotifier.h"
#include "VXNServiceFramework/http/ListenAddress.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <optional>

namespace {
// A week: longer would be no limit at all for a request.
constexpr uint maxSqlTimeLimitSeconds = 7 * 24 * 3600;

int generate(const QCommandLineParser& parser, const QString& db) {
    FleetOptions options;
    bool ok[4] = {true, true, true, true};
    options.devices = parser.value(QStringLiteral("generate-fleet")).toInt(&ok[0]);
    options.days = parser.value(QStringLiteral("days")).toInt(&ok[1]);
    options.seed = parser.value(QStringLiteral("seed")).toULongLong(&ok[2]);
    options.end = parser.isSet(QStringLiteral("end"))
                      ? parser.value(QStringLiteral("end")).toLongLong(&ok[3])
                      : defaultFleetEnd();
    if (!(ok[0] && ok[1] && ok[2] && ok[3])) {
        std::fprintf(stderr, "velm-peers: --generate-fleet, --days, --seed and --end take "
                             "decimal numbers\n");
        return 2;
    }
    try {
        const FleetStats stats = generateFleet(db, options);
        std::printf("Fleet written: %d devices, %d users, %lld counter samples, %lld history "
                    "cells, %lld jobs, %d discoveries, %d alerts, %d upgrades, %d resets\n",
                    stats.devices, stats.users, stats.counterSamples, stats.historyCells,
                    stats.jobs, stats.discoveries, stats.alerts, stats.upgrades, stats.resets);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velm-peers: %s: %s\n", qPrintable(db), e.what());
        return 1;
    }
}

int serve(QCoreApplication& app, const QCommandLineParser& parser, const QString& db) {
    bool ok = false;
    const uint port = parser.value(QStringLiteral("port")).toUInt(&ok);
    if (!ok || port > 65535 || !parser.isSet(QStringLiteral("html"))) {
        std::fprintf(stderr, "velm-peers: the services need --port PORT (0: any) and --html DIR\n");
        return 2;
    }
    PeerSuite::Options options{db, parser.value(QStringLiteral("html")), quint16(port)};
    if (parser.isSet(QStringLiteral("listen"))) {
        const auto address = listenAddress::fromText(parser.value(QStringLiteral("listen")));
        if (!address) {
            std::fprintf(stderr,
                         "velm-peers: --listen takes a local IP address such as 127.0.0.1\n");
            return 2;
        }
        options.address = *address;
    }
    if (parser.isSet(QStringLiteral("sql-time-limit"))) {
        const uint seconds = parser.value(QStringLiteral("sql-time-limit")).toUInt(&ok);
        if (!ok || seconds == 0 || seconds > maxSqlTimeLimitSeconds) {
            std::fprintf(stderr, "velm-peers: --sql-time-limit takes seconds from 1 to %u\n",
                         maxSqlTimeLimitSeconds);
            return 2;
        }
        options.scriptTimeLimit = std::chrono::seconds(seconds);
    }
    PeerSuite suite(options);
    StopSignalNotifier stopper({SIGTERM, SIGINT}, [&](int) {
        VELM_INFO << "Stopping";
        suite.stop();
        app.quit();
    });
    if (!suite.start())
        return 1;
    const int code = QCoreApplication::exec();
    suite.stop();
    VELM_INFO << "Stopped";
    return code;
}

// The --set NAME=VALUE settings; none (after saying why) when one is malformed.
std::optional<QList<SettingsWriter::Setting>> settingsOf(const QCommandLineParser& parser) {
    QList<SettingsWriter::Setting> settings;
    for (const QString& text : parser.values(QStringLiteral("set"))) {
        const auto setting = SettingsWriter::parseAssignment(text);
        if (!setting) {
            std::fprintf(stderr, "velm-peers: --set takes NAME=VALUE, not \"%s\"\n",
                         qPrintable(text));
            return std::nullopt;
        }
        if (const auto why = SettingsWriter::refusal(*setting)) {
            std::fprintf(stderr, "velm-peers: --set %s\n", qPrintable(*why));
            return std::nullopt;
        }
        settings.append(*setting);
    }
    return settings;
}

bool isMailSetting(const QString& name) {
    const auto& defaults = SettingsWriter::mailDefaults();
    return std::any_of(defaults.begin(), defaults.end(),
                       [&](const SettingsWriter::Setting& known) { return known.first == name; });
}

int writeSettings(const QString& db, const QList<SettingsWriter::Setting>& settings) {
    try {
        SettingsWriter::write(db, settings);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velm-peers: %s: %s\n", qPrintable(db), e.what());
        return 1;
    }
    // Names only: a password has no place on a console.
    QStringList names;
    for (const auto& [name, value] : settings) {
        names.append(name);
        if (!isMailSetting(name))
            std::fprintf(stderr,
                         "velm-peers: note: %s is none of the mail settings device management "
                         "answers by default; written all the same\n",
                         qPrintable(name));
    }
    std::printf("Settings written to %s: %s\n", qPrintable(db), qPrintable(names.join(", ")));
    return 0;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velm-peers"));
    Log::install();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Companion peer services (naming, database, device management, web, job accounting) "
        "and fleet generator"));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("db"), QStringLiteral("SQLite database file."), QStringLiteral("FILE")},
        {QStringLiteral("port"), QStringLiteral("Port to listen on (0: any)."),
         QStringLiteral("PORT")},
        {QStringLiteral("listen"),
         QStringLiteral("Local address to listen on, e.g. 127.0.0.1 (default: every IPv4 "
                        "address)."),
         QStringLiteral("ADDRESS")},
        {QStringLiteral("html"), QStringLiteral("Web root for uploaded files."),
         QStringLiteral("DIR")},
        {QStringLiteral("generate-fleet"), QStringLiteral("Write a fleet of DEVICES and exit."),
         QStringLiteral("DEVICES")},
        {QStringLiteral("days"), QStringLiteral("Days of history."), QStringLiteral("DAYS"),
         QStringLiteral("90")},
        {QStringLiteral("seed"), QStringLiteral("Random seed."), QStringLiteral("N"),
         QStringLiteral("1")},
        {QStringLiteral("end"),
         QStringLiteral("End of the history, seconds since 1970 (default: start of today, UTC)."),
         QStringLiteral("SECONDS")},
        {QStringLiteral("sql-time-limit"),
         QStringLiteral("Longest time one request's statements may run before they are stopped "
                        "(default 3600)."),
         QStringLiteral("SECONDS")},
        {QStringLiteral("set"),
         QStringLiteral("Write a setting into the database's Settings table (repeatable), for "
                        "example SMTPServerPort=2525; after a fleet is generated, or before the "
                        "services start. Without --port the program exits once written."),
         QStringLiteral("NAME=VALUE")},
    });
    parser.process(app);

    if (!parser.isSet(QStringLiteral("db"))) {
        std::fprintf(stderr, "velm-peers: --db FILE is required\n");
        return 2;
    }
    const QString db = parser.value(QStringLiteral("db"));
    const auto settings = settingsOf(parser);
    if (!settings)
        return 2;
    if (parser.isSet(QStringLiteral("generate-fleet"))) {
        const int generated = generate(parser, db);
        return generated != 0 || settings->isEmpty() ? generated : writeSettings(db, *settings);
    }
    if (!settings->isEmpty()) {
        if (const int written = writeSettings(db, *settings); written != 0)
            return written;
        if (!parser.isSet(QStringLiteral("port")))
            return 0;
    }
    return serve(app, parser, db);
}
