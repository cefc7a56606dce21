// The plug-in's Report element as the flow copies it into Body: the element the answer carried
// on the wire, node for node, for both groupings.
#include "VELMPluginReportGenerator/jobaccounting/JACReportDom.h"
#include "VELMPluginReportGenerator/builders/ReportDocument.h"
#include "VELMPluginReportGenerator/jobaccounting/messages/JACPackets.h"

#include "VXNServiceFramework/dom/DomParser.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/dom/DomWriter.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using namespace JACReport;

// The Report element of the answer as written on the wire, parsed as a DOM document with the
// line breaks and indentation between elements left out.
QByteArray wireReport(RGPGetJACReportResultResponse& answer) {
    QByteArray body;
    answer.serialize(body);
    QString text = QString::fromUtf8(body);
    text.replace(QRegularExpression(QStringLiteral(">[\\t\\n]+<")), QStringLiteral("><"));
    const dom::ParseResult parsed = dom::parse(text.toUtf8());
    EXPECT_TRUE(parsed.ok()) << parsed.error.toStdString();
    return dom::toUtf8(dom::firstDescendant(parsed.document.get(), QStringLiteral("Report")));
}

// The answer as the flow reads it, copied into the Body of a report document.
QByteArray copiedReport(RGPGetJACReportResultResponse& answer) {
    QByteArray wire;
    answer.serialize(wire);
    RGPGetJACReportResultResponse read;
    read.parse(wire);
    ReportDocument document;
    dom::Element* body = document.append(document.root(), QStringLiteral("Body"));
    appendJACReport(body, *read.Report);
    EXPECT_EQ(dom::countDescendants(body, QStringLiteral("Report")), 1);
    return dom::toUtf8(dom::firstChild(body, QStringLiteral("Report")));
}

c_DeviceRecord<PrintKind> deviceRecord(const QString& login, qint64 a4) {
    c_DeviceRecord<PrintKind> record;
    record.Login = login;
    record.UserName = QStringLiteral("Zoë O'Brien & <Partner>");
    record.RecordData.SimplexMono = 0;
    record.RecordData.PaperA4 = a4;
    record.RecordData.Staple = 3;
    return record;
}

} // namespace

TEST(JACReportCopy, PerDeviceDetailsAreCopiedAsTheAnswerCarriedThem) {
    RGPGetJACReportResultResponse answer;
    auto& devices = answer.Report.emplace().PrintDetails.emplace().ByDevice.emplace().Device;
    c_Device<PrintKind> busy{QStringLiteral("prn-süd"),
                             QStringLiteral("10.0.0.7"),
                             QStringLiteral("Floor 2 \"east\""),
                             QStringLiteral("LaserPro 9"),
                             QStringLiteral("00:11:22:33:44:55"),
                             QString(),
                             {}};
    busy.Record = {deviceRecord(QStringLiteral("abaker"), 9'000'000'000),
                   deviceRecord(QString(), 12)};
    devices = {busy, c_Device<PrintKind>{}};

    const QByteArray copied = copiedReport(answer);
    EXPECT_EQ(copied, wireReport(answer));
    // The shape itself: both devices, empty texts as empty elements, counters in their order.
    EXPECT_TRUE(copied.startsWith("<Report><PrintDetails><ByDevice><Device><HostName>prn-s"))
        << copied.data();
    EXPECT_TRUE(copied.contains("<Serial/><Record><Login>abaker</Login>")) << copied.data();
    EXPECT_TRUE(copied.contains("<PrintDetailsRecordData><SimplexMono>0</SimplexMono><PaperA4>"
                                "9000000000</PaperA4><Staple>3</Staple></PrintDetailsRecordData>"))
        << copied.data();
    EXPECT_TRUE(copied.contains("</Device><Device><HostName/>")) << copied.data();
    EXPECT_TRUE(copied.endsWith("<Serial/></Device></ByDevice></PrintDetails></Report>"))
        << copied.data();
}

TEST(JACReportCopy, PerUserRecordsOfEveryKindAreCopiedAsTheAnswerCarriedThem) {
    RGPGetJACReportResultResponse scan;
    c_User<ScanKind> user{
        QStringLiteral("jürgen"), QStringLiteral("Jürgen Groß"), QStringLiteral("R&D"), {}};
    c_UserRecord<ScanKind> record{
        QStringLiteral("Scan <Pro>"), QStringLiteral("10.1.1.1"), QStringLiteral("SN-1"), {}};
    record.RecordData.Email = 4;
    record.RecordData.USB = 1;
    user.Record = {record, record};
    scan.Report.emplace().ScanDetails.emplace().ByUser.emplace().User = {user, user};
    const QByteArray copied = copiedReport(scan);
    EXPECT_EQ(copied, wireReport(scan));
    EXPECT_EQ(copied.count("<ScanDetailsRecordData><Email>4</Email><USB>1</USB>"), 4)
        << copied.data();

    RGPGetJACReportResultResponse fax;
    c_User<FaxKind> faxUser{QStringLiteral("x"), {}, {}, {}};
    faxUser.Record.append(c_UserRecord<FaxKind>{});
    faxUser.Record[0].RecordData.ColorTx = 2;
    fax.Report.emplace().FaxDetails.emplace().ByUser.emplace().User = {faxUser};
    EXPECT_EQ(copiedReport(fax), wireReport(fax));
    EXPECT_EQ(copiedReport(fax), "<Report><FaxDetails><ByUser><User><Login>x</Login><UserName/>"
                                 "<GroupName/><Record><ModelName/><IPAddress/><Serial/>"
                                 "<FaxDetailsRecordData><ColorTx>2</ColorTx>"
                                 "</FaxDetailsRecordData></Record></User></ByUser></FaxDetails>"
                                 "</Report>");
}
