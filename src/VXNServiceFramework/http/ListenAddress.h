#pragma once

#include <QHostAddress>
#include <QString>
#include <optional>

// The local address a listener binds, as configured (VELMReport.cfg's ListenAddress,
// velm-peers --listen).
namespace listenAddress {

// Numeric IPv4 or IPv6, or "localhost" (the IPv4 loopback); nothing for anything else.
std::optional<QHostAddress> fromText(const QString& text);

// The host part of a URL that reaches a listener on `address`: `whenAny` for the wildcard
// addresses, which every local address reaches, else the address itself.
QString urlHost(const QHostAddress& address, const QString& whenAny);

} // namespace listenAddress
