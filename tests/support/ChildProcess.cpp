#include "support/ChildProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <unistd.h>

ChildProcess::~ChildProcess() {
    if (m_process.state() != QProcess::NotRunning)
        terminate();
}

bool ChildProcess::start(const QString& program, const QStringList& arguments,
                         const QString& workingDirectory) {
    m_output.clear();
    m_url.clear();
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    if (!workingDirectory.isEmpty())
        m_process.setWorkingDirectory(workingDirectory);
    m_process.start(program.startsWith(QLatin1Char('/'))
                        ? program
                        : QStringLiteral(VELM_BINARY_DIR "/bin/") + program,
                    arguments);
    if (!m_process.waitForStarted(10000))
        return false;
    static const QRegularExpression listening(
        QStringLiteral("Listening incomming requests on port: (\\d+)"));
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        const auto match = listening.match(output());
        if (match.hasMatch()) {
            m_url = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(match.captured(1)));
            return true;
        }
        if (m_process.state() == QProcess::NotRunning)
            return false;
        m_process.waitForReadyRead(100);
    }
    return false;
}

bool ChildProcess::startPeers(const QString& database, const QString& webRoot,
                              const QStringList& extra) {
    return start(QStringLiteral("velm-peers"),
                 QStringList{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--db"),
                             database, QStringLiteral("--html"), webRoot} +
                     extra);
}

bool ChildProcess::startReport(const QString& directory, const QUrl& naming) {
    // velm-report reads its configuration beside its executable (a symbolic link would lead it
    // back to the build's directory).
    const QDir dir(directory);
    if (!dir.mkpath(QStringLiteral(".")))
        return false;
    const QByteArray source = QByteArrayLiteral(VELM_BINARY_DIR "/bin/velm-report");
    const QString target = dir.filePath(QStringLiteral("velm-report"));
    if (::link(source.constData(), target.toLocal8Bit().constData()) != 0 &&
        !QFile::copy(QString::fromLocal8Bit(source), target))
        return false;
    QFile config(dir.filePath(QStringLiteral("VELMReport.cfg")));
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.write(QStringLiteral("<VELMReport><Name>VELM Report</Name><DispatcherURL>%1"
                                "</DispatcherURL></VELMReport>")
                     .arg(naming.toString())
                     .toUtf8());
    config.close();
    return start(target, {QStringLiteral("-e")});
}

int ChildProcess::terminate() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(20000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
            return -1;
        }
    }
    output();
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

bool ChildProcess::waitForExit(int msecs) {
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(msecs);
}

QString ChildProcess::output() {
    m_output += m_process.readAll();
    return QString::fromUtf8(m_output);
}

bool ChildProcess::waitForOutput(const QString& text, int msecs) {
    const QDeadlineTimer deadline(msecs);
    while (!output().contains(text)) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return output().contains(text);
        m_process.waitForReadyRead(100);
    }
    return true;
}
