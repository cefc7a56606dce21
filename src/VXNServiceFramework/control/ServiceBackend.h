#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// The operating system's service manager as the service wrapper sees it: one installed service
// under one name. Operations report failure by returning false; errorString() then tells why in
// the manager's own words.
class ServiceBackend {
public:
    virtual ~ServiceBackend() = default;

    virtual bool isInstalled() = 0;
    virtual bool isRunning() = 0;

    // Registers `executable` (an absolute path) to be run by the manager, started at boot.
    virtual bool install(const QString& executable) = 0;
    virtual bool uninstall() = 0;

    // Asks the manager to start, stop, pause or continue the installed service, or hands it a
    // user-defined control code.
    virtual bool start(const QStringList& arguments) = 0;
    virtual bool stop() = 0;
    virtual bool pause() = 0;
    virtual bool resume() = 0;
    virtual bool sendCommand(int code) = 0;

    // True when this process was launched by the manager as the service.
    virtual bool launchedByManager() = 0;

    virtual QString errorString() const = 0;
};

// The backend of this platform for `serviceName` (systemd).
std::unique_ptr<ServiceBackend> createServiceBackend(const QString& serviceName);
