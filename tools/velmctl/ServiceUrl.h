#pragma once

#include <QAbstractSocket>
#include <QString>
#include <QUrl>
#include <optional>

// The --url of velmctl: where a service listens, and what to say when it cannot be reached.
namespace ServiceUrl {

// http://HOST:PORT/ (the scheme may be left out). Other schemes, https:// among them, are
// refused with the reason on standard error: the services speak plain HTTP only.
std::optional<QUrl> fromText(const QString& text);

// Why no connection to `url` came about, for a person.
QString connectionFailure(const QUrl& url, QAbstractSocket::SocketError reason);

} // namespace ServiceUrl
