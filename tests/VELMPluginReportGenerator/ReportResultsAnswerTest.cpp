#include "VELMPluginReportGenerator/Commands/CmdRGPGetReportResultsResponse.h"
#include "VELMPluginReportGenerator/builders/ReportDocument.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/dom/DomWriter.h"
#include "support/XercesWriterText.h"

#include <gtest/gtest.h>

// The results answer writes the report's Info and Body as text instead of copying them into a
// DOM of its own. Peers read these bytes; they must be the bytes of the copied elements.
namespace {

void fill(ReportDocument& report) {
    auto* info = report.append(report.root(), QStringLiteral("Info"));
    report.appendPairs(info, {QStringLiteral("ReportType"), QStringLiteral("IsSummary")},
                       {QStringLiteral("RT_ALERT_HISTORY"), QStringLiteral("No")});
    report.append(info, QStringLiteral("Selection"));
    auto* body = report.append(report.root(), QStringLiteral("Body"));
    for (const QString& id : {QStringLiteral("7"), QStringLiteral("12")}) {
        auto* device = report.appendWithId(body, QStringLiteral("Device"), id);
        report.appendPairs(device, {QStringLiteral("HostName"), QStringLiteral("Location")},
                           {QStringLiteral("prn-%1").arg(id),
                            QStringLiteral("Büro \"Nord\" <2> & Co\r\n\tStock 3 ]]> 🖨")});
        auto* rows = report.append(device, QStringLiteral("Report"));
        auto* row = report.append(rows, QStringLiteral("Row"));
        report.appendPairs(row, {QStringLiteral("Code"), QStringLiteral("Message")},
                           {QStringLiteral("lowToner"), QStringLiteral("Tonerstand niedrig")});
    }
}

// The answer as it was made before: Info and Body imported into the answer's own document and
// written by Xerces.
QByteArray copiedAnswer(const ReportDocument& report, int code, const QString& details) {
    CmdRGPGetReportResultsResponse answer;
    answer.buildDocument();
    for (const QString& part : {QStringLiteral("Info"), QStringLiteral("Body")})
        if (const auto* element = dom::firstChild(report.root(), part))
            dom::appendCopy(answer.rootElement(), element);
    answer.setResult(code, details);
    const std::optional<QString> text = xercesWriterText(answer.document());
    EXPECT_TRUE(text);
    return dom::utf16Bytes({text.value_or(QString())});
}

QByteArray written(CmdRGPGetReportResultsResponse& answer) {
    QByteArray bytes;
    answer.serialize(bytes);
    return bytes;
}

TEST(ReportResultsAnswer, BytesAreThoseOfTheCopiedElements) {
    ReportDocument report;
    fill(report);
    CmdRGPGetReportResultsResponse answer;
    answer.copyReport(report);
    EXPECT_EQ(written(answer), copiedAnswer(report, 0, QStringLiteral("OK")));

    // A result set after the copy changes only the envelope.
    answer.setResult(109, QStringLiteral("Report generation failed."));
    EXPECT_EQ(written(answer),
              copiedAnswer(report, 109, QStringLiteral("Report generation failed.")));

    // Read back as a client reads it.
    CmdRGPGetReportResultsResponse read;
    read.parse(written(answer));
    ASSERT_TRUE(read.body());
    EXPECT_EQ(dom::countDescendants(read.body(), QStringLiteral("Row")), 2);
    EXPECT_EQ(dom::textContent(dom::firstDescendant(read.body(), QStringLiteral("Location"))),
              QStringLiteral("Büro \"Nord\" <2> & Co\r\n\tStock 3 ]]> 🖨"));
    // A parsed answer written again is written from its document.
    EXPECT_EQ(written(read), written(answer));
}

TEST(ReportResultsAnswer, ADocumentWithoutPartsAnswersTheBareEnvelope) {
    ReportDocument empty;
    CmdRGPGetReportResultsResponse answer;
    answer.copyReport(empty);
    EXPECT_EQ(written(answer), copiedAnswer(empty, 0, QStringLiteral("OK")));

    ReportDocument onlyInfo;
    onlyInfo.append(onlyInfo.root(), QStringLiteral("Info"));
    CmdRGPGetReportResultsResponse partial;
    partial.copyReport(onlyInfo);
    EXPECT_EQ(written(partial), copiedAnswer(onlyInfo, 0, QStringLiteral("OK")));
}

} // namespace
