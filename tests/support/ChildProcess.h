#pragma once

#include <QProcess>
#include <QStringList>
#include <QUrl>

// A program of this build (velm-peers, velm-report) started for a test and stopped with it.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts bin/<program> of the build (or the absolute path `program`) and waits until it
    // logs the port it listens on.
    bool start(const QString& program, const QStringList& arguments,
               const QString& workingDirectory = {});
    // Starts velm-peers on a free port with the database file and web root given, and `extra`
    // options.
    bool startPeers(const QString& database, const QString& webRoot, const QStringList& extra = {});
    // Starts velm-report from its own copy in `directory`, configured beside itself to find the
    // naming service at `naming`.
    bool startReport(const QString& directory, const QUrl& naming);
    // SIGTERM, then waits for the end; the exit code, or -1 when it crashed or hung.
    int terminate();
    // Waits for the process to end by itself; true when it did within `msecs`.
    bool waitForExit(int msecs);

    QUrl url() const { return m_url; }
    int port() const { return m_url.port(); }
    qint64 processId() const { return m_process.processId(); }
    // Waits until the process has written `text`; false after `msecs`.
    bool waitForOutput(const QString& text, int msecs);
    // Everything the process wrote so far.
    QString output();

private:
    QProcess m_process;
    QByteArray m_output;
    QUrl m_url;
};
