// The authentication dialogues of CTRVSMTPConnection.
#include "mail/CTRVSMTPConnection.h"

#include "mail/CBase64Coder.h"

#include <QMessageAuthenticationCode>

namespace {

bool equalsIgnoringCase(const QByteArray& text, const char* expected) {
    return text.compare(expected, Qt::CaseInsensitive) == 0;
}

} // namespace

// RFC 2195: the answer is the user name, a space and the HMAC-MD5 (RFC 2104) of the decoded
// challenge keyed with the password, as 32 lowercase hex digits, all base64-encoded.
bool CTRVSMTPConnection::AuthCramMD5(const QByteArray& user, const QByteArray& password) {
    if (!send("AUTH CRAM-MD5\r\n")) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthCramMD5, An unexpected error occurred "
                               "while sending the AUTH CRAM-MD5 command"));
        return false;
    }
    if (!ReadCommandResponse(334)) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthCramMD5, Server does not support AUTH "
                               "CRAM-MD5 authentication"));
        return false;
    }
    const QByteArray digest = QMessageAuthenticationCode::hash(CBase64Coder::Decode(challenge()),
                                                               password, QCryptographicHash::Md5);
    if (!send(CBase64Coder::Encode(user + ' ' + digest.toHex()) + "\r\n")) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthCramMD5, An unexpected error occurred "
                               "while sending the username"));
        return false;
    }
    if (!ReadCommandResponse(235)) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthCramMD5, AUTH CRAM-MD5 authentication "
                               "was unsuccessful"));
        return false;
    }
    return true;
}

bool CTRVSMTPConnection::AuthLogin(const QByteArray& user, const QByteArray& password) {
    if (!send("AUTH LOGIN\r\n")) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthLogin, An unexpected error occurred while "
                               "sending the AUTH LOGIN command"));
        return false;
    }
    if (!ReadCommandResponse(334)) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthLogin, Server does not support AUTH LOGIN "
                               "authentication"));
        return false;
    }
    if (!equalsIgnoringCase(CBase64Coder::Decode(challenge()), "username:")) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthLogin, An unexpected response received "
                               "when expecting username: response"));
        return false;
    }
    if (!send(CBase64Coder::Encode(user) + "\r\n")) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthLogin, An unexpected error occurred while "
                               "sending the username"));
        return false;
    }
    if (!ReadCommandResponse(334)) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthLogin, Server did not respond correctly "
                               "to AUTH LOGIN username field"));
        return false;
    }
    if (!equalsIgnoringCase(CBase64Coder::Decode(challenge()), "password:")) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthLogin, An unexpected response received "
                               "when expecting password response"));
        return false;
    }
    if (!send(CBase64Coder::Encode(password) + "\r\n")) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthLogin, An unexpected error occurred while "
                               "sending the password"));
        return false;
    }
    if (!ReadCommandResponse(235)) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthLogin, AUTH LOGIN authentication was "
                               "unsuccessful"));
        return false;
    }
    return true;
}

// The program's own PLAIN dialogue: the LOGIN exchange with user name and password in clear
// (not the single-response PLAIN of RFC 4616).
bool CTRVSMTPConnection::AuthPlain(const QByteArray& user, const QByteArray& password) {
    if (refuseLineBreak("AuthPlain", "a user name", user) ||
        refuseLineBreak("AuthPlain", "a password", password))
        return false;
    if (!send("AUTH PLAIN\r\n")) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthPlain, An unexpected error occurred while "
                               "sending the AUTH PLAIN command"));
        return false;
    }
    if (!ReadCommandResponse(334)) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthPlain, Server does not support AUTH PLAIN "
                               "authentication"));
        return false;
    }
    if (!equalsIgnoringCase(challenge(), "username:")) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthPlain, An unexpected response received "
                               "when expecting username: response"));
        return false;
    }
    if (!send(user + "\r\n")) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthPlain, An unexpected error occurred while "
                               "sending the username"));
        return false;
    }
    if (!ReadCommandResponse(334)) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthPlain, Server did not response correctly "
                               "to AUTH PLAIN username field"));
        return false;
    }
    if (!equalsIgnoringCase(challenge(), "password:"))
        return false;
    if (!send(password + "\r\n")) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthPlain, An unexpected error occurred while "
                               "sending the password"));
        return false;
    }
    if (!ReadCommandResponse(235)) {
        OnError(QStringLiteral("CTRVSMTPConnection::AuthPlain, AUTH PLAIN authentication was "
                               "unsuccessful"));
        return false;
    }
    return true;
}
