#include "VXNServiceFramework/http/ListenAddress.h"

namespace listenAddress {

std::optional<QHostAddress> fromText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return QHostAddress(QHostAddress::LocalHost);
    const QHostAddress address(trimmed);
    if (address.isNull())
        return std::nullopt;
    return address;
}

QString urlHost(const QHostAddress& address, const QString& whenAny) {
    if (address == QHostAddress::AnyIPv4 || address == QHostAddress::Any ||
        address == QHostAddress::AnyIPv6)
        return whenAny;
    if (address.protocol() == QAbstractSocket::IPv6Protocol)
        return QLatin1Char('[') + address.toString() + QLatin1Char(']');
    return address.toString();
}

} // namespace listenAddress
