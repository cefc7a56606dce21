#include "VELMPluginReportGenerator/email/SmtpSettings.h"

#include "mail/CVELMAbstractSMTPClient.h"
#include "peers/CmdDMSGetPropertiesRequest.h"
#include "peers/CmdDMSGetPropertiesResponse.h"

#include "VXNServiceFramework/client/PeerCaller.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

#include <limits>

namespace {

const QString kAuthenticationOn = QStringLiteral("1");
// Callers see this as it is, followed by the failed answer's Result and Details.
const QString kSettingsUnread = QStringLiteral(
    "The mail settings could not be read: DMSGetProperties failed with Result %1: %2");

quint16 portFrom(const QString& text) {
    if (text.isEmpty())
        return CVELMAbstractSMTPClient::kDefaultPort;
    // Out of range reads as 0 like any other non-number: a port cut to 16 bits would name some
    // unrelated service.
    bool ok = false;
    const uint port = text.toUInt(&ok, 10);
    return ok && port <= std::numeric_limits<quint16>::max() ? quint16(port) : 0;
}

quint32 timeoutFrom(const QString& text) {
    bool ok = false;
    const quint64 seconds = text.toULongLong(&ok, 10);
    // A time-out of 0 ms would fail every wait for a reply, so what is not a positive number of
    // seconds keeps the default.
    if (!ok || seconds == 0)
        return CVELMAbstractSMTPClient::kDefaultTimeout;
    constexpr quint64 longest = std::numeric_limits<quint32>::max();
    return quint32(std::min(seconds * 1000, longest));
}

} // namespace

QStringList SmtpSettings::propertyNames() {
    return {serverName,        serverPort,  requiresAuthentication, serverLogin, serverPassword,
            connectionTimeout, replyAddress};
}

SmtpSettings SmtpSettings::fromProperties(const QMap<QString, QString>& properties) {
    SmtpSettings settings;
    settings.server = properties.value(serverName);
    settings.from = properties.value(replyAddress);
    settings.port = portFrom(properties.value(serverPort));
    settings.timeoutMs = timeoutFrom(properties.value(connectionTimeout));
    if (properties.value(requiresAuthentication) == kAuthenticationOn) {
        settings.login = properties.value(serverLogin);
        settings.password = properties.value(serverPassword);
    }
    return settings;
}

SmtpSettings SmtpSettings::read(PeerCaller& caller) {
    CmdDMSGetPropertiesRequest request;
    request.propertyNames = propertyNames();
    const auto response = caller.call<CmdDMSGetPropertiesResponse>(request);
    // A failed answer carries no properties and so reads as empty; its Result only explains
    // the missing server.
    SmtpSettings settings = fromProperties(response->properties);
    if (response->result() != ResultCode::Ok)
        settings.readFailure =
            kSettingsUnread.arg(QString::number(response->result()), response->details());
    return settings;
}

void SmtpSettings::applyTo(CVELMAbstractSMTPClient& client) const {
    client.server = server;
    client.from = from;
    client.port = port;
    client.timeout = timeoutMs;
    client.login = login;
    client.password = password;
}
