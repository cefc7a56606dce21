#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// The velm-report binary run from a directory of its own (hard link or copy of the build's
// binary), with an optional VELMReport.cfg beside it.
class ReportProcess {
public:
    ReportProcess();
    ~ReportProcess();

    QString directory() const { return m_dir.path(); }
    QString executable() const;
    void writeConfig(const QByteArray& document);
    QProcessEnvironment& environment() { return m_environment; }

    void start(const QStringList& arguments);
    // Runs to the end; false when it did not end within `msecs`.
    bool run(const QStringList& arguments, int msecs = 20000);

    // Waits for a line of standard output containing `text`; the line, or empty after `msecs`.
    QString waitForLine(const QString& text, int msecs = 20000);
    // The port of "Listening incomming requests on port: <port>"; 0 when it does not come.
    int waitForListening(int msecs = 20000);
    bool waitForEnd(int msecs = 20000);

    QByteArray standardOutput();
    QByteArray standardError();
    int exitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }
    qint64 pid() const { return m_process.processId(); }

private:
    void collect();

    QTemporaryDir m_dir;
    QProcessEnvironment m_environment;
    QProcess m_process;
    QByteArray m_out;
    QByteArray m_err;
};

// A free TCP port on this machine at the time of the call.
int freePort();
