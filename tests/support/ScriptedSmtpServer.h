#pragma once

#include <QByteArray>
#include <QStringList>

#include <condition_variable>
#include <mutex>
#include <thread>

// An SMTP server on 127.0.0.1 (port 0) that plays a script, one step per line:
//   "S: text"  send text + CR LF
//   "R: text"  send text exactly as written (no CR LF added) as a segment of its own
//   "C: text"  the client must send this line next (compared without its CR LF)
//   "D:"       read the client's DATA stream up to and including CR LF "." CR LF
//   "W: ms"    stay silent for ms milliseconds
//   "X:"       close the connection
//   "A:"       accept the next connection
// The first connection is accepted before the first step. After the last step the server
// keeps reading until the client closes, so Received() holds everything the client sent.
class ScriptedSmtpServer {
public:
    explicit ScriptedSmtpServer(QStringList script);
    ~ScriptedSmtpServer();
    ScriptedSmtpServer(const ScriptedSmtpServer&) = delete;
    ScriptedSmtpServer& operator=(const ScriptedSmtpServer&) = delete;

    quint16 Port() const { return m_port; }
    // Waits until the script has run and the client has gone; false on time-out.
    bool WaitFinished(int milliseconds = 10000);
    // Steps that did not go as scripted, each as one readable line; empty when all did.
    QStringList Failures() const;
    // Every byte the client sent, over all connections.
    QByteArray Received() const;
    // The DATA stream of the last "D:" step, with its terminating CR LF "." CR LF.
    QByteArray Data() const;
    // How many connections were accepted.
    int Connections() const;

    // How long a "C:", "D:" or "A:" step waits for the client.
    static constexpr int kStepTimeoutMs = 5000;

private:
    void run();
    void fail(const QString& failure);

    const QStringList m_script;
    quint16 m_port = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_listening = false;
    bool m_finished = false;
    QStringList m_failures;
    QByteArray m_received;
    QByteArray m_data;
    int m_connections = 0;
    std::thread m_thread;
};
