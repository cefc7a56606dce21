#pragma once

#include "DatabasePeerService.h"
#include "DevicePeerService.h"
#include "JobAccountingPeerService.h"
#include "NamingPeerService.h"
#include "WebPeerService.h"

#include "VXNServiceFramework/dispatch/CommandHost.h"

#include <QHostAddress>
#include <QMap>
#include <chrono>
#include <memory>

class Listener;
class ThreadGroup;

// The companion peer process: naming, database, device management, web and job accounting
// services behind one HTTP listener. Runs on the event loop of the thread that starts it.
class PeerSuite {
public:
    struct Options {
        QString databasePath;
        QString htmlRoot;
        quint16 port = 0; // 0: the system chooses
        QHostAddress address{QHostAddress::AnyIPv4};
        int busyTimeoutMs = SqlEngine::defaultBusyTimeoutMs;
        std::chrono::milliseconds scriptTimeLimit = SqlConnectionPool::defaultScriptTimeLimit;
    };

    explicit PeerSuite(Options options);
    ~PeerSuite();

    // Prepares the database (schema when missing, WAL), listens, and registers every command
    // with its own naming service. False, with the reason logged on "err", when it cannot.
    bool start();
    // Stops taking connections and waits for the requests being served.
    void stop(std::chrono::milliseconds drainPoll = std::chrono::milliseconds(50));

    quint16 port() const;
    QString url() const;
    QStringList commands() const { return m_host.commands(); }
    // The services and their command map.
    CommandHost& host() { return m_host; }

private:
    Options m_options;
    SqlEngine m_engine;
    DeviceDirectory m_directory;
    UploadStore m_uploads;
    NamingTable m_names;
    JobAccountingStore m_jobAccounting;
    // Declared after the state its services work on, so that they go first.
    CommandHost m_host;
    // Destroyed first: the listener, then the group that waits for the connection threads,
    // which use the services above.
    std::unique_ptr<ThreadGroup> m_group;
    std::unique_ptr<Listener> m_listener;
};
