#include "support/SmtpSink.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QThread>

namespace {

const QString kSink = QStringLiteral(VELM_SOURCE_DIR "/scripts/smtp-sink");
const QString kInspect = QStringLiteral(VELM_SOURCE_DIR "/tests/mail/mime_inspect.py");
constexpr int kStartMs = 10000;

} // namespace

const QString& SmtpSink::python() {
    // The system's interpreter, which has aiosmtpd, whatever python3 comes first in PATH.
    static const QString interpreter = QStringLiteral("/usr/bin/python3");
    return interpreter;
}

SmtpSink::SmtpSink(const QString& login) {
    QStringList arguments{kSink};
    if (!login.isEmpty())
        arguments << QStringLiteral("--login") << login;
    arguments << m_dir.path();
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(python(), arguments);
    if (!m_process.waitForStarted(kStartMs))
        return;
    while (!m_process.canReadLine() && m_process.waitForReadyRead(kStartMs)) {
    }
    m_port = quint16(m_process.readLine().trimmed().toUInt());
}

SmtpSink::~SmtpSink() {
    m_process.kill();
    m_process.waitForFinished(5000);
}

QString SmtpSink::MessagePath(int number) const {
    return m_dir.filePath(QStringLiteral("message-%1.eml").arg(number));
}

QJsonObject SmtpSink::Envelope(int number) const {
    QFile file(m_dir.filePath(QStringLiteral("message-%1.json").arg(number)));
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                          : QJsonObject();
}

int SmtpSink::MessageCount() const {
    return int(QDir(m_dir.path()).entryList({QStringLiteral("message-*.eml")}, QDir::Files).size());
}

bool SmtpSink::WaitForMessages(int count, int msecs) const {
    const QDeadlineTimer deadline(msecs);
    while (MessageCount() < count) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}

QJsonObject SmtpSink::Inspect(int number, const QString& outDir) const {
    return InspectFile(MessagePath(number), outDir);
}

QJsonObject SmtpSink::InspectFile(const QString& messagePath, const QString& outDir) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(python(), {kInspect, messagePath, outDir});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}
