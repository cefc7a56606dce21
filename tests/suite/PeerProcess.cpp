#include "PeerProcess.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

bool PeerProcess::start(const QStringList& arguments) {
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QStringLiteral(VELM_BINARY_DIR "/bin/velm-peers"), arguments);
    if (!m_process.waitForStarted(10000))
        return false;
    static const QRegularExpression listening(
        QStringLiteral("Listening incomming requests on port: (\\d+)"));
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        const auto match = listening.match(QString::fromUtf8(m_output));
        if (match.hasMatch()) {
            m_url = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(match.captured(1)));
            return true;
        }
        if (m_process.state() == QProcess::NotRunning)
            return false;
        m_process.waitForReadyRead(100);
        m_output += m_process.readAll();
    }
    return false;
}

int PeerProcess::terminate() {
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitCode();
    m_process.terminate();
    if (!m_process.waitForFinished(20000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
        return -1;
    }
    m_output += m_process.readAll();
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QString PeerProcess::log() {
    m_output += m_process.readAll();
    return QString::fromUtf8(m_output);
}
