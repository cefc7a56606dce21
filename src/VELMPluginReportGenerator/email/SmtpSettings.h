#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

class CVELMAbstractSMTPClient;
class PeerCaller;

// How the report generator reaches the mail server: the device management service's settings,
// read anew before every sending.
struct SmtpSettings {
    // The device management property names, in the order they are asked for.
    static inline const QString serverName = QStringLiteral("SMTPServerName");
    static inline const QString serverPort = QStringLiteral("SMTPServerPort");
    static inline const QString requiresAuthentication =
        QStringLiteral("SMTPRequiresAuthentication");
    static inline const QString serverLogin = QStringLiteral("SMTPServerLogin");
    static inline const QString serverPassword = QStringLiteral("SMTPServerPassword");
    static inline const QString connectionTimeout = QStringLiteral("SMTPServerConnectionTimeout");
    static inline const QString replyAddress = QStringLiteral("ReplyAddress");
    static QStringList propertyNames();

    // The settings the properties stand for; a missing property reads as empty. Port: 25 when
    // empty, 0 when not a port number. Time-out: seconds, 60 when empty or not a positive
    // number. Login and password only when authentication is exactly "1".
    static SmtpSettings fromProperties(const QMap<QString, QString>& properties);
    // One DMSGetProperties; a service that fails to answer gives empty settings (no server)
    // and says why in readFailure.
    static SmtpSettings read(PeerCaller& caller);

    void applyTo(CVELMAbstractSMTPClient& client) const;

    QString server;
    QString from;
    quint16 port = 0;
    quint32 timeoutMs = 0;
    QString login;
    QString password;
    // Empty when device management answered; otherwise its failure as a person reads it, so
    // that "no server" is not blamed on the configuration when the settings were never read.
    QString readFailure;
};
