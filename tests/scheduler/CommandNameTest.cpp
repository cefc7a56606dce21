#include "scheduler/CommandName.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandName, CutFromTheRequestText) {
    const struct {
        const char* text;
        const char* name;
    } cases[] = {
        {"<VXNRequest command=\"RGPGenerateAndSendReportByEmail\"><A/></VXNRequest>",
         "RGPGenerateAndSendReportByEmail"},
        {"<?xml version=\"1.0\"?><VXNRequest command=\"MGMTCloseApplication\"/>",
         "MGMTCloseApplication\"/>"},
        {"<VXNRequest command=\"X\">", "X"},
        {" command=\"Open", "Open"},
        {"command=\"RGPX\">", ""},
        {"<VXNRequest command=\"\">", ""},
        {"<VXNRequest Command=\"RGPX\">", ""},
        {"<VXNRequest>", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(commandNameOf(QString::fromUtf8(c.text)), QString::fromUtf8(c.name)) << c.text;
    }
}

} // namespace
