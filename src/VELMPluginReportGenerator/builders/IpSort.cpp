#include "VELMPluginReportGenerator/builders/IpSort.h"

#include <QHostAddress>
#include <algorithm>
#include <array>

namespace {

struct AddressKey {
    int family = 0; // 0 unreadable, 1 IPv4, 2 IPv6
    std::array<quint8, 16> bytes{};

    auto operator<=>(const AddressKey&) const = default;
};

AddressKey keyOf(const QString& text) {
    AddressKey key;
    QHostAddress address;
    if (text.isEmpty() || !address.setAddress(text))
        return key;
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        key.family = 1;
        const quint32 value = address.toIPv4Address();
        for (int i = 0; i < 4; ++i)
            key.bytes[std::size_t(i)] = quint8(value >> (24 - 8 * i));
    } else if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        key.family = 2;
        const Q_IPV6ADDR value = address.toIPv6Address();
        std::copy(std::begin(value.c), std::end(value.c), key.bytes.begin());
    }
    return key;
}

} // namespace

void sortByIp(QList<DeviceAddress>& devices) {
    QList<std::pair<AddressKey, DeviceAddress>> keyed;
    keyed.reserve(devices.size());
    for (DeviceAddress& device : devices)
        keyed.append({keyOf(device.ip), std::move(device)});
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (qsizetype i = 0; i < keyed.size(); ++i)
        devices[i] = std::move(keyed[i].second);
}
