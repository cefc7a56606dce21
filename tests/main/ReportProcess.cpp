#include "ReportProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QThread>

#include <unistd.h>

ReportProcess::ReportProcess() : m_environment(QProcessEnvironment::systemEnvironment()) {
    // Not under a service manager, whatever runs the tests.
    m_environment.remove(QStringLiteral("INVOCATION_ID"));
    const QByteArray source(VELM_REPORT_BINARY);
    const QByteArray target = executable().toLocal8Bit();
    if (::link(source.constData(), target.constData()) != 0) {
        QFile::copy(QString::fromLocal8Bit(source), executable());
    }
}

ReportProcess::~ReportProcess() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString ReportProcess::executable() const {
    return m_dir.filePath(QStringLiteral("velm-report"));
}

void ReportProcess::writeConfig(const QByteArray& document) {
    QFile file(m_dir.filePath(QStringLiteral("VELMReport.cfg")));
    file.open(QIODevice::WriteOnly);
    file.write(document);
}

void ReportProcess::start(const QStringList& arguments) {
    m_process.setProcessEnvironment(m_environment);
    // Another working directory than the executable's: the process must find its own.
    m_process.setWorkingDirectory(QDir::tempPath());
    m_process.start(executable(), arguments);
    m_process.waitForStarted(10000);
}

bool ReportProcess::run(const QStringList& arguments, int msecs) {
    start(arguments);
    return waitForEnd(msecs);
}

void ReportProcess::collect() {
    m_out += m_process.readAllStandardOutput();
    m_err += m_process.readAllStandardError();
}

QString ReportProcess::waitForLine(const QString& text, int msecs) {
    QDeadlineTimer deadline(msecs);
    for (;;) {
        collect();
        for (const QByteArray& line : m_out.split('\n')) {
            if (QString::fromUtf8(line).contains(text)) {
                return QString::fromUtf8(line);
            }
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning) {
            collect();
            return {};
        }
        m_process.waitForReadyRead(50);
    }
}

int ReportProcess::waitForListening(int msecs) {
    const QString line =
        waitForLine(QStringLiteral("Listening incomming requests on port: "), msecs);
    static const QRegularExpression port(QStringLiteral("port: (\\d+)$"));
    const QRegularExpressionMatch m = port.match(line);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

bool ReportProcess::waitForEnd(int msecs) {
    const bool ended =
        m_process.state() == QProcess::NotRunning || m_process.waitForFinished(msecs);
    collect();
    return ended;
}

QByteArray ReportProcess::standardOutput() {
    collect();
    return m_out;
}

QByteArray ReportProcess::standardError() {
    collect();
    return m_err;
}

int freePort() {
    QTcpServer server;
    server.listen(QHostAddress::AnyIPv4, 0);
    return server.serverPort();
}
