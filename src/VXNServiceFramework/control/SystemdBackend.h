#pragma once

#include "VXNServiceFramework/control/ServiceBackend.h"

// The service as a systemd unit "<name>.service": install writes the unit (ExecStart = the
// executable, WorkingDirectory = its directory) and enables it, uninstall disables and removes it,
// status and control go through systemctl.
//
// Two environment variables move it away from the system's manager, for a per-user setup or for
// tests that script systemctl: VELM_SYSTEMCTL names the systemctl program to run and
// VELM_SYSTEMD_UNIT_DIR the directory the unit is written to (default /etc/systemd/system).
class SystemdBackend : public ServiceBackend {
public:
    explicit SystemdBackend(QString serviceName, QString systemctl = QStringLiteral("systemctl"),
                            QString unitDirectory = QStringLiteral("/etc/systemd/system"));

    static std::unique_ptr<SystemdBackend> fromEnvironment(const QString& serviceName);

    QString unitName() const;
    QString unitPath() const;
    static QByteArray unitText(const QString& serviceName, const QString& executable);

    bool isInstalled() override;
    bool isRunning() override;
    bool install(const QString& executable) override;
    bool uninstall() override;
    bool start(const QStringList& arguments) override;
    bool stop() override;
    bool pause() override;
    bool resume() override;
    bool sendCommand(int code) override;
    bool launchedByManager() override;
    QString errorString() const override { return m_error; }

private:
    bool systemctl(const QStringList& arguments);

    QString m_serviceName;
    QString m_systemctl;
    QString m_unitDirectory;
    QString m_error;
};
