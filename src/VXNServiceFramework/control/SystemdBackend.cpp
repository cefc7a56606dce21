#include "VXNServiceFramework/control/SystemdBackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

namespace {

// systemd expands '%' specifiers in both settings; ExecStart= also splits on blanks and
// unquotes, while WorkingDirectory= takes the rest of the line as the path.
QString escapedSpecifiers(const QString& path) {
    QString escaped = path;
    escaped.replace(QLatin1Char('%'), QLatin1String("%%"));
    return escaped;
}

QString quotedForExec(const QString& path) {
    QString escaped = escapedSpecifiers(path);
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

SystemdBackend::SystemdBackend(QString serviceName, QString systemctl, QString unitDirectory)
    : m_serviceName(std::move(serviceName)), m_systemctl(std::move(systemctl)),
      m_unitDirectory(std::move(unitDirectory)) {}

std::unique_ptr<SystemdBackend> SystemdBackend::fromEnvironment(const QString& serviceName) {
    QString program = qEnvironmentVariable("VELM_SYSTEMCTL");
    QString directory = qEnvironmentVariable("VELM_SYSTEMD_UNIT_DIR");
    return std::make_unique<SystemdBackend>(
        serviceName, program.isEmpty() ? QStringLiteral("systemctl") : program,
        directory.isEmpty() ? QStringLiteral("/etc/systemd/system") : directory);
}

std::unique_ptr<ServiceBackend> createServiceBackend(const QString& serviceName) {
    return SystemdBackend::fromEnvironment(serviceName);
}

QString SystemdBackend::unitName() const {
    return m_serviceName + QStringLiteral(".service");
}

QString SystemdBackend::unitPath() const {
    return QDir(m_unitDirectory).filePath(unitName());
}

QByteArray SystemdBackend::unitText(const QString& serviceName, const QString& executable) {
    const QFileInfo info(executable);
    QString text;
    text += QStringLiteral("[Unit]\nDescription=%1\nAfter=network.target\n\n").arg(serviceName);
    text += QStringLiteral("[Service]\nType=simple\n");
    text += QStringLiteral("ExecStart=%1\n").arg(quotedForExec(info.absoluteFilePath()));
    text += QStringLiteral("WorkingDirectory=%1\n").arg(escapedSpecifiers(info.absolutePath()));
    // The stop control: SIGTERM runs the stop sequence (draining every service) before exit.
    text += QStringLiteral("KillSignal=SIGTERM\nTimeoutStopSec=120\n\n");
    text += QStringLiteral("[Install]\nWantedBy=multi-user.target\n");
    return text.toUtf8();
}

bool SystemdBackend::systemctl(const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(m_systemctl, arguments);
    if (!process.waitForStarted(10000)) {
        m_error = QStringLiteral("%1: %2").arg(m_systemctl, process.errorString());
        return false;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        m_error = QStringLiteral("%1 %2: timed out").arg(m_systemctl, arguments.join(' '));
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        QString output = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        if (output.isEmpty()) {
            output = QStringLiteral("exit code %1").arg(process.exitCode());
        }
        m_error = QStringLiteral("%1 %2: %3").arg(m_systemctl, arguments.join(' '), output);
        return false;
    }
    return true;
}

bool SystemdBackend::isInstalled() {
    return QFileInfo::exists(unitPath());
}

bool SystemdBackend::isRunning() {
    return systemctl({QStringLiteral("is-active"), QStringLiteral("--quiet"), unitName()});
}

bool SystemdBackend::install(const QString& executable) {
    QSaveFile unit(unitPath());
    if (!unit.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("%1: %2").arg(unitPath(), unit.errorString());
        return false;
    }
    unit.write(unitText(m_serviceName, executable));
    if (!unit.commit()) {
        m_error = QStringLiteral("%1: %2").arg(unitPath(), unit.errorString());
        return false;
    }
    if (!systemctl({QStringLiteral("daemon-reload")}) ||
        !systemctl({QStringLiteral("enable"), unitName()})) {
        QString reason = m_error;
        QFile::remove(unitPath());
        systemctl({QStringLiteral("daemon-reload")});
        m_error = reason;
        return false;
    }
    return true;
}

bool SystemdBackend::uninstall() {
    if (!systemctl({QStringLiteral("disable"), QStringLiteral("--now"), unitName()})) {
        return false;
    }
    QFile unit(unitPath());
    if (!unit.remove()) {
        m_error = QStringLiteral("%1: %2").arg(unitPath(), unit.errorString());
        return false;
    }
    return systemctl({QStringLiteral("daemon-reload")});
}

bool SystemdBackend::start(const QStringList&) {
    // A unit's command line is fixed at install time; systemd passes no per-start arguments.
    return systemctl({QStringLiteral("start"), unitName()});
}

bool SystemdBackend::stop() {
    return systemctl({QStringLiteral("stop"), unitName()});
}

// systemd has no pause/continue state and no user-defined controls for a simple service, and the
// application reacts to none of them: these requests succeed without effect, as a service that
// overrides no pause, continue or command handling would under any manager.
bool SystemdBackend::pause() {
    return true;
}

bool SystemdBackend::resume() {
    return true;
}

bool SystemdBackend::sendCommand(int) {
    return true;
}

bool SystemdBackend::launchedByManager() {
    // systemd gives every process it starts for a unit its invocation id.
    return !qEnvironmentVariableIsEmpty("INVOCATION_ID");
}
