#include "VXNServiceFramework/control/ManagementService.h"
#include "captured_log.h"
#include "support/CoreApplication.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(ManagementService, CloseApplicationAnswersOkAndEndsTheEventLoop) {
    ensureCoreApplication();
    ManagementService management;
    CapturedLog log;
    std::unique_ptr<Packet> response =
        management.dispatch(QStringLiteral("MGMTCloseApplication"),
                            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNRequest "
                            "command=\"MGMTCloseApplication\">\n</VXNRequest>\n");
    ASSERT_TRUE(response);
    EXPECT_EQ(log.count(QStringLiteral("info: MGMTCloseApplication: stopping at a peer's request")),
              1);
    QByteArray body;
    response->serialize(body);
    EXPECT_EQ(body, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNResponse>\n"
                    "\t<Result>0</Result>\n\t<Details>OK</Details>\n</VXNResponse>\n");
    // The quit waits for the event loop; without it the loop would end by the timer with 7.
    QTimer guard; // ends with the test
    guard.callOnTimeout([] { QCoreApplication::exit(7); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

TEST(ManagementService, MalformedRequestDoesNotClose) {
    ensureCoreApplication();
    ManagementService management;
    std::unique_ptr<Packet> response =
        management.dispatch(QStringLiteral("MGMTCloseApplication"), "<VXNResponse/>");
    ASSERT_TRUE(response);
    EXPECT_EQ(response->result(), 3);
    QTimer guard;
    guard.callOnTimeout([] { QCoreApplication::exit(7); });
    guard.start(50);
    EXPECT_EQ(QCoreApplication::exec(), 7);
}

} // namespace
