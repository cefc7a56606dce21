#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

// A real SMTP server for a test: scripts/smtp-sink (aiosmtpd) on a free port of 127.0.0.1,
// keeping every message it accepts as a file. Stopped with the object.
class SmtpSink {
public:
    // `login` "USER:PASSWORD": the server offers AUTH LOGIN only and accepts that user.
    explicit SmtpSink(const QString& login = {});
    ~SmtpSink();
    SmtpSink(const SmtpSink&) = delete;
    SmtpSink& operator=(const SmtpSink&) = delete;

    // 0 when the server did not start (python3-aiosmtpd missing).
    quint16 Port() const { return m_port; }
    // The file of the number-th message accepted (from 1) and its envelope
    // {"mail_from": ..., "rcpt_tos": [...]}.
    QString MessagePath(int number) const;
    QJsonObject Envelope(int number) const;
    int MessageCount() const;
    // Waits until `count` messages have arrived; false after `msecs`.
    bool WaitForMessages(int count, int msecs) const;

    // What a mail reader makes of the number-th message: Python's email package parses it (see
    // tests/mail/mime_inspect.py) and writes each attachment's decoded bytes into `outDir`.
    QJsonObject Inspect(int number, const QString& outDir) const;
    // The same for any message file; empty when the parser failed.
    static QJsonObject InspectFile(const QString& messagePath, const QString& outDir);

    static const QString& python();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};
