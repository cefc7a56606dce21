#include "PeerPacketTestUtil.h"
#include "peers/CmdDMSGetDeviceListRequest.h"
#include "peers/CmdDMSGetDeviceListResponse.h"
#include "peers/CmdDMSGetPropertiesRequest.h"
#include "peers/CmdDMSGetPropertiesResponse.h"

#include <gtest/gtest.h>

namespace {
TEST(DMSGetDeviceList, OnlyTheFirstGroupIsWritten) {
    CmdDMSGetDeviceListRequest request;
    request.groups = {QStringLiteral("3"), QStringLiteral("7")};
    const QString text = bodyText(request);
    EXPECT_EQ(text.count(QStringLiteral("<Group")), 1);
    EXPECT_TRUE(text.contains(QStringLiteral("<Group ID=\"3\"/>")));
    const auto back = roundTrip<CmdDMSGetDeviceListRequest>(request);
    EXPECT_EQ(back->groups, QStringList{QStringLiteral("3")});
}

TEST(DMSGetDeviceList, DeviceFiltersFlagAndPropertyNamesRoundTrip) {
    CmdDMSGetDeviceListRequest request;
    using Filter = CmdDMSGetDeviceListRequest::DeviceFilter;
    request.devices.append(Filter{-1, {{QStringLiteral("IP"), QStringLiteral("10.0.0.9")}}});
    request.devices.append(Filter{12, {}});
    request.forceUpToDate = true;
    request.propertyNames = {QStringLiteral("zepHrDevCountTable"), QStringLiteral("HostName")};

    const QString text = bodyText(request);
    EXPECT_TRUE(text.contains(QStringLiteral("<Device><IP>10.0.0.9</IP></Device>")))
        << "id -1 is written without ID attribute";
    EXPECT_TRUE(text.contains(QStringLiteral("<ForceUpToDate/>")));

    const auto back = roundTrip<CmdDMSGetDeviceListRequest>(request);
    EXPECT_EQ(back->devices, request.devices);
    EXPECT_TRUE(back->forceUpToDate);
    EXPECT_EQ(back->propertyNames, request.propertyNames);
    EXPECT_TRUE(back->groups.isEmpty());
}

TEST(DMSGetDeviceList, EmptyRequestWritesNoOptionalElements) {
    CmdDMSGetDeviceListRequest request;
    const QString text = bodyText(request);
    for (const char* name : {"Filter", "ForceUpToDate", "PropertyList"})
        EXPECT_FALSE(text.contains(QLatin1String(name))) << name;
}

TEST(DMSGetDeviceList, ResponseTellsTablesFromSimpleProperties) {
    const QString body = QStringLiteral(
        "<VXNResponse><Result>0</Result><Details>OK</Details>"
        "<Device ID=\"5\"><Name>prn-1</Name>"
        "<Counters><Counter><Kind>print</Kind><Value>10</Value></Counter>"
        "<Counter><Kind>copy</Kind><Value>3</Value></Counter></Counters>"
        "<Trays>plain</Trays></Device><Device><Name>x</Name></Device></VXNResponse>");
    CmdDMSGetDeviceListResponse response;
    response.parse(utf16(body));
    ASSERT_EQ(response.devices.size(), 2);
    const auto& device = response.devices[0];
    EXPECT_EQ(device.id, 5);
    EXPECT_EQ(device.properties.value(QStringLiteral("Name")), QStringLiteral("prn-1"));
    EXPECT_EQ(device.properties.value(QStringLiteral("Trays")), QStringLiteral("plain"));
    ASSERT_EQ(device.tables.value(QStringLiteral("Counters")).size(), 2);
    EXPECT_EQ(device.tables.value(QStringLiteral("Counters"))[1].value(QStringLiteral("Kind")),
              QStringLiteral("copy"));
    EXPECT_EQ(response.devices[1].id, -1);
}

TEST(DMSGetDeviceList, ResponseRoundTripsTheCounterTable) {
    CmdDMSGetDeviceListResponse response;
    CmdDMSGetDeviceListResponse::Device device;
    device.id = 17;
    device.properties.insert(QStringLiteral("HostName"), QStringLiteral("a<b\"c"));
    device.tables.insert(QStringLiteral("zepHrDevCountTable"),
                         {{{QStringLiteral("zepHrDevCountJobType"), QStringLiteral("print")},
                           {QStringLiteral("zepHrDevCountValue"), QStringLiteral("1200")}}});
    response.devices.append(device);
    EXPECT_TRUE(bodyText(response).contains(QStringLiteral("<zepHrDevCountTabl>")));
    const auto back = roundTrip<CmdDMSGetDeviceListResponse>(response);
    ASSERT_EQ(back->devices.size(), 1);
    EXPECT_EQ(back->devices[0], device);
}

TEST(DMSGetProperties, NamesGoOutAndMissingAnswersReadEmpty) {
    CmdDMSGetPropertiesRequest request;
    request.propertyNames = {QStringLiteral("SMTPServerName"), QStringLiteral("SMTPServerPort")};
    const auto back = roundTrip<CmdDMSGetPropertiesRequest>(request);
    EXPECT_EQ(back->propertyNames, request.propertyNames);
    EXPECT_FALSE(bodyText(*std::make_unique<CmdDMSGetPropertiesRequest>())
                     .contains(QStringLiteral("PropertyList")));

    CmdDMSGetPropertiesResponse response;
    response.properties.insert(QStringLiteral("SMTPServerName"), QStringLiteral("mail.local"));
    const auto answer = roundTrip<CmdDMSGetPropertiesResponse>(response);
    EXPECT_EQ(answer->property(QStringLiteral("SMTPServerName")), QStringLiteral("mail.local"));
    EXPECT_EQ(answer->property(QStringLiteral("SMTPServerPort")), QString());
}
} // namespace
