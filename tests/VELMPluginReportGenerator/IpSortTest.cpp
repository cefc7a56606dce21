#include "VELMPluginReportGenerator/builders/IpSort.h"
#include "../scheduler/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

QStringList sortedIds(QList<DeviceAddress> devices) {
    sortByIp(devices);
    QStringList ids;
    for (const DeviceAddress& device : devices)
        ids.append(device.deviceId);
    return ids;
}

} // namespace

TEST(IpSort, OrdersIPv4NumericallyAfterUnreadableAndBeforeIPv6) {
    EXPECT_EQ(sortedIds({{"a", "10.0.0.10"},
                         {"b", "fe80::2"},
                         {"c", "10.0.0.9"},
                         {"d", ""},
                         {"e", "2001:db8::1"},
                         {"f", "9.255.255.255"},
                         {"g", "printer.local"},
                         {"h", "::ffff:0"},
                         {"i", "192.168.1.1"}}),
              QStringList({"d", "g", "f", "c", "a", "i", "h", "e", "b"}));
}

TEST(IpSort, KeepsTheAnswerOrderOfEqualAddresses) {
    EXPECT_EQ(sortedIds({{"3", "10.1.1.1"}, {"1", "x"}, {"2", "10.1.1.1"}, {"4", "y"}}),
              QStringList({"1", "4", "3", "2"}));
}
