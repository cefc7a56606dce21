#include "ServiceUrl.h"

#include "Session.h"

namespace ServiceUrl {

namespace {

constexpr int DefaultHttpPort = 80;

QString hostAndPort(const QUrl& url) {
    return QStringLiteral("%1:%2").arg(url.host()).arg(url.port(DefaultHttpPort));
}

} // namespace

std::optional<QUrl> fromText(const QString& text) {
    const QString trimmed = text.trimmed();
    const QUrl url(trimmed.contains(QLatin1String("://")) ? trimmed
                                                          : QStringLiteral("http://") + trimmed);
    if (url.scheme() == QLatin1String("https")) {
        Session::err() << "velmctl: " << trimmed
                       << ": https is not supported, the services speak plain HTTP. Use "
                          "http://HOST:PORT/ and reach a remote service through an SSH tunnel "
                          "or a VPN."
                       << Qt::endl;
        return std::nullopt;
    }
    if (!url.isValid() || url.scheme() != QLatin1String("http") || url.host().isEmpty()) {
        Session::err() << "velmctl: \"" << trimmed
                       << "\" is not a service URL such as http://127.0.0.1:8480/" << Qt::endl;
        return std::nullopt;
    }
    return url;
}

QString connectionFailure(const QUrl& url, QAbstractSocket::SocketError reason) {
    switch (reason) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("connection to %1 refused: nothing listens there (is the service "
                              "running, and is this its port?)")
            .arg(hostAndPort(url));
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("connection to %1 failed: host name \"%2\" not found")
            .arg(hostAndPort(url), url.host());
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("connection to %1 timed out: no answer from the host (is the "
                              "address right, and is the port open in its firewall?)")
            .arg(hostAndPort(url));
    default:
        return QStringLiteral("connection to %1 failed").arg(hostAndPort(url));
    }
}

} // namespace ServiceUrl
