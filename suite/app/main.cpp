#include "suite/FleetGenerator.h"
#include "suite/Sqlite.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velm-peers"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Companion peer services and fleet generator"));
    parser.addHelpOption();
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("SQLite database file."),
                                QStringLiteral("FILE"));
    const QCommandLineOption fleet(QStringLiteral("generate-fleet"),
                                   QStringLiteral("Write a fleet of DEVICES devices and exit."),
                                   QStringLiteral("DEVICES"));
    const QCommandLineOption days(QStringLiteral("days"), QStringLiteral("Days of history."),
                                  QStringLiteral("DAYS"), QStringLiteral("90"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Random seed."),
                                  QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption end(QStringLiteral("end"),
                                 QStringLiteral("End of the history, seconds since 1970 "
                                                "(default: start of today, UTC)."),
                                 QStringLiteral("SECONDS"));
    parser.addOptions({db, fleet, days, seed, end});
    parser.process(app);

    if (!parser.isSet(db)) {
        std::fprintf(stderr, "velm-peers: --db FILE is required\n");
        return 2;
    }
    if (parser.isSet(fleet)) {
        FleetOptions options;
        bool ok[4] = {true, true, true, true};
        options.devices = parser.value(fleet).toInt(&ok[0]);
        options.days = parser.value(days).toInt(&ok[1]);
        options.seed = parser.value(seed).toULongLong(&ok[2]);
        options.end = parser.isSet(end) ? parser.value(end).toLongLong(&ok[3]) : defaultFleetEnd();
        if (!(ok[0] && ok[1] && ok[2] && ok[3])) {
            std::fprintf(stderr, "velm-peers: --generate-fleet, --days, --seed and --end take "
                                 "decimal numbers\n");
            return 2;
        }
        try {
            const FleetStats stats = generateFleet(parser.value(db), options);
            std::printf("Fleet written: %d devices, %d users, %lld counter samples, %lld history "
                        "cells, %lld jobs, %d discoveries, %d alerts, %d upgrades, %d resets\n",
                        stats.devices, stats.users, stats.counterSamples, stats.historyCells,
                        stats.jobs, stats.discoveries, stats.alerts, stats.upgrades, stats.resets);
            return 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "velm-peers: %s\n", e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "velm-peers: the services need --port PORT and --html DIR\n");
    return 2;
}
