// The job accounting stylesheets on Report elements as the plug-in answers them (written here,
// one per record kind and grouping): every record shown once, counters summed per table, and
// the CSV guarded and quoted like every other export.
#include "CsvTable.h"
#include "ExportFixture.h"
#include "RenderedPage.h"

#include "VXNServiceFramework/dom/DomRead.h"

namespace {

QByteArray jacDocument(const QString& type, const QString& groupBy, const QString& report) {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNResponse><Info>"
                          "<ReportCategory>RT_JAC</ReportCategory><ReportType>%1</ReportType>"
                          "<ReportFormat/><IsSummary>No</IsSummary>"
                          "<From>2026-11-01 00:00:00</From><To>2026-11-30 23:59:00</To>"
                          "<ReportDate>2026-12-01 08:00:00</ReportDate><GroupBy>%2</GroupBy>"
                          "<Selection/></Info><Body><Report>%3</Report></Body></VXNResponse>")
        .arg(type, groupBy, report)
        .toUtf8();
}

// Three users in two user groups; one login a spreadsheet would run, one name with quotes and
// the separator, and a negative counter.
const QString byUser = QStringLiteral(R"(<Basic><ByUser>
<User><Login>anna</Login><UserName>Anna Berg</UserName><GroupName>Finance</GroupName>
 <Record><ModelName>Quillex MFX 7500</ModelName><IPAddress>10.10.1.10</IPAddress><Serial>KE1</Serial>
  <BasicRecordData><PrintedBW>1200</PrintedBW><PrintedColor>30</PrintedColor><CopiedBW>5</CopiedBW><CopiedColor>0</CopiedColor><FaxTx>2</FaxTx><Scan>7</Scan></BasicRecordData></Record>
 <Record><ModelName>Quillex M320</ModelName><IPAddress>10.10.1.11</IPAddress><Serial>KE2</Serial>
  <BasicRecordData><PrintedBW>120</PrintedBW><Scan>1</Scan></BasicRecordData></Record>
</User>
<User><Login>=HYPERLINK("http://x")</Login><UserName>Bob "Builder", Jr.; III</UserName><GroupName>Legal</GroupName>
 <Record><ModelName>Quillex MFX 7500</ModelName><IPAddress>10.10.1.10</IPAddress><Serial>KE1</Serial>
  <BasicRecordData><PrintedBW>-50</PrintedBW><PrintedColor>3</PrintedColor></BasicRecordData></Record>
</User>
<User><Login>carl</Login><UserName>+Carl</UserName><GroupName>Finance</GroupName>
 <Record><ModelName>Quillex MFX 7500</ModelName><IPAddress>10.10.1.10</IPAddress><Serial>KE1</Serial>
  <BasicRecordData><PrintedBW>10</PrintedBW></BasicRecordData></Record>
</User>
</ByUser></Basic>)");

// One device used by three users of two groups, scan details.
const QString byDevice = QStringLiteral(R"(<ScanDetails><ByDevice>
<Device><HostName>prn-hq-001</HostName><IPAddress>10.10.1.10</IPAddress><Location>Berlin</Location>
 <ModelName>Quillex MFX 7500</ModelName><HardwareAddress>00:1B:A9:00:00:01</HardwareAddress><Serial>KE1</Serial>
 <Record><Login>anna</Login><UserName>Anna Berg</UserName><GroupName>Finance</GroupName>
  <ScanDetailsRecordData><SimplexMono>3</SimplexMono><Email>2</Email><USB>1</USB></ScanDetailsRecordData></Record>
 <Record><Login>bob</Login><UserName>Bob</UserName><GroupName>Legal</GroupName>
  <ScanDetailsRecordData><DuplexColor>4</DuplexColor><SMB>4</SMB></ScanDetailsRecordData></Record>
 <Record><Login>carl</Login><UserName>Carl</UserName><GroupName>Finance</GroupName>
  <ScanDetailsRecordData><SimplexMono>1</SimplexMono><FTP>1</FTP></ScanDetailsRecordData></Record>
</Device>
</ByDevice></ScanDetails>)");

const QStringList bothLocales{QStringLiteral("en"), QStringLiteral("de")};

class JobAccountingExport : public ExportFixture {
protected:
    // The file the export makes of a job accounting report holding `report` as its body.
    ExportedFile exportJac(const QString& type, const QString& groupBy, const QString& report,
                           const QString& format, const QString& locale) {
        return exportDocumentAs(jacDocument(type, groupBy, report), type, groupBy, format, locale);
    }
};

} // namespace

TEST_F(JobAccountingExport, UserPagesShowEachUsersDevicesOrEachGroupsRecordsWithTotals) {
    for (const QString& locale : bothLocales) {
        SCOPED_TRACE(locale.toStdString());
        const QString thousands = locale == "de" ? "." : ",";

        const RenderedPage basic =
            RenderedPage::open(exportJac("RT_JAC_USER_BASIC", "User", byUser, "HTML", locale).path);
        const auto perUser = basic.tables();
        ASSERT_EQ(perUser.size(), 3);
        EXPECT_EQ(perUser[0].body.size(), 2);
        // Columns: model, address, serial, then the six basic counters.
        ASSERT_EQ(perUser[0].head.value(0).size(), 9);
        ASSERT_EQ(perUser[0].foot.size(), 1);
        EXPECT_EQ(perUser[0].foot[0][1].text, "1" + thousands + "320");
        EXPECT_EQ(perUser[1].body[0][3].text, "-50");
        EXPECT_TRUE(perUser[1].body[0][3].classes.contains("n"));
        EXPECT_EQ(basic.texts("h2").value(1),
                  "=HYPERLINK(\"http://x\") · Bob \"Builder\", Jr.; III");

        const ExportedFile grouped =
            exportJac("RT_JAC_USER_BASIC", "UserGroupUser", byUser, "HTML", locale);
        ASSERT_TRUE(RenderedPage::screenshot(grouped.path, screenshotPath(grouped.path, locale)));
        const auto perGroup = RenderedPage::open(grouped.path).tables();
        ASSERT_EQ(perGroup.size(), 2);
        // Finance: anna's two records and carl's one; totals over the group.
        ASSERT_EQ(perGroup[0].body.size(), 3);
        EXPECT_EQ(cellTexts(perGroup[0].body[2]).mid(0, 2), (QStringList{"carl", "+Carl"}));
        EXPECT_EQ(perGroup[0].foot.value(0).value(1).text, "1" + thousands + "330");
        EXPECT_EQ(perGroup[1].body.size(), 1);
    }
}

TEST_F(JobAccountingExport, DevicePagesShowEachDevicesUsersOrTheirGroupsWithTotals) {
    for (const QString& locale : bothLocales) {
        SCOPED_TRACE(locale.toStdString());
        const RenderedPage basic = RenderedPage::open(
            exportJac("RT_JAC_DEVICE_SCAN_DETAILS", "Device", byDevice, "HTML", locale).path);
        const auto tables = basic.tables();
        ASSERT_EQ(tables.size(), 1);
        EXPECT_EQ(tables[0].body.size(), 3);
        // Login, user name, user group, then the nine scan counters.
        ASSERT_EQ(tables[0].head.value(0).size(), 12);
        EXPECT_EQ(cellTexts(tables[0].foot.value(0)).mid(1),
                  (QStringList{"4", "0", "0", "4", "2", "1", "4", "0", "1"}));

        const ExportedFile grouped =
            exportJac("RT_JAC_DEVICE_SCAN_DETAILS", "UserGroupDevice", byDevice, "HTML", locale);
        ASSERT_TRUE(RenderedPage::screenshot(grouped.path, screenshotPath(grouped.path, locale)));
        const RenderedPage page = RenderedPage::open(grouped.path);
        EXPECT_EQ(page.texts("h3"), (QStringList{"Finance", "Legal"}));
        const auto perGroup = page.tables();
        ASSERT_EQ(perGroup.size(), 2);
        EXPECT_EQ(perGroup[0].body.size(), 2);
        EXPECT_EQ(perGroup[1].body.size(), 1);
    }
}

TEST_F(JobAccountingExport, CsvHasOneLinePerRecordGuardedQuotedAndInGroupOrder) {
    for (const QString& locale : bothLocales) {
        SCOPED_TRACE(locale.toStdString());
        const QChar separator = locale == "de" ? ';' : ',';
        const ExportedFile file =
            exportJac("RT_JAC_USER_BASIC", "UserGroupUser", byUser, "CSV", locale);
        ASSERT_TRUE(file.bytes.startsWith("\xEF\xBB\xBF"));
        // The name holding quotes and both separators is quoted, its quotes doubled.
        EXPECT_TRUE(file.bytes.contains("\"Bob \"\"Builder\"\", Jr.; III\""));
        const CsvTable table = CsvTable::read(file.path, separator);
        ASSERT_TRUE(table.ok) << table.error.toStdString();
        ASSERT_EQ(table.rows.size(), 5);
        EXPECT_EQ(table.rows[0].size(), 12);
        // Users of a group together: Finance (anna twice, carl), then Legal.
        EXPECT_EQ(table.rows[1].mid(0, 3), (QStringList{"anna", "Anna Berg", "Finance"}));
        EXPECT_EQ(table.rows[3].mid(0, 3), (QStringList{"carl", "'+Carl", "Finance"}));
        EXPECT_EQ(table.rows[4].mid(0, 3),
                  (QStringList{"'=HYPERLINK(\"http://x\")", "Bob \"Builder\", Jr.; III", "Legal"}));
        EXPECT_EQ(table.rows[4].mid(6), (QStringList{"-50", "3", "", "", "", ""}));
        EXPECT_EQ(table.rows[1].mid(6), (QStringList{"1200", "30", "5", "0", "2", "7"}));

        const ExportedFile devices =
            exportJac("RT_JAC_DEVICE_SCAN_DETAILS", "Device", byDevice, "CSV", locale);
        const CsvTable perDevice = CsvTable::read(devices.path, separator);
        ASSERT_EQ(perDevice.rows.size(), 4);
        // The device's six fields, the user's three, the nine scan counters.
        EXPECT_EQ(perDevice.rows[0].size(), 18);
        EXPECT_EQ(perDevice.rows[2].mid(6, 3), (QStringList{"bob", "Bob", "Legal"}));
        EXPECT_EQ(perDevice.rows[2].mid(9), (QStringList{"", "", "", "4", "", "", "4", "", ""}));
    }
}

TEST_F(JobAccountingExport, EveryRecordKindShowsAllItsCountersInOrder) {
    const QHash<QString, QStringList> kinds{
        {"Basic", {"PrintedBW", "PrintedColor", "CopiedBW", "CopiedColor", "FaxTx", "Scan"}},
        {"PrintDetails",
         {"SimplexMono", "SimplexColor", "DuplexMono", "DuplexColor", "PaperA4", "PaperLetter",
          "PaperLegal", "PaperOthers", "Staple"}},
        {"CopyDetails",
         {"SimplexMono", "SimplexColor", "DuplexMono", "DuplexColor", "PaperA4", "PaperLetter",
          "PaperLegal", "PaperOthers", "Staple"}},
        {"FaxDetails", {"MonoTx", "ColorTx"}},
        {"ScanDetails",
         {"SimplexMono", "SimplexColor", "DuplexMono", "DuplexColor", "Email", "FTP", "SMB",
          "Application", "USB"}}};
    for (auto kind = kinds.begin(); kind != kinds.end(); ++kind) {
        SCOPED_TRACE(kind.key().toStdString());
        // Counters written in reverse order, each a distinct value: the columns follow the kind.
        QString data;
        QStringList values;
        for (qsizetype c = kind.value().size() - 1; c >= 0; --c)
            data += QStringLiteral("<%1>%2</%1>").arg(kind.value()[c]).arg(100 + c);
        for (qsizetype c = 0; c < kind.value().size(); ++c)
            values.append(QString::number(100 + c));
        const QString report =
            QStringLiteral("<%1><ByDevice><Device><HostName>prn</HostName><IPAddress>10.0.0.1"
                           "</IPAddress><Record><Login>anna</Login><%1RecordData>%2"
                           "</%1RecordData></Record></Device></ByDevice></%1>")
                .arg(kind.key(), data);

        const ExportedFile csv = exportJac("RT_JAC_DEVICE_BASIC", "Device", report, "CSV", "en");
        const CsvTable table = CsvTable::read(csv.path, ',');
        ASSERT_EQ(table.rows.size(), 2) << csv.bytes.toStdString();
        EXPECT_EQ(table.rows[1], QStringList({"prn", "10.0.0.1", "anna"}) + values);

        const ExportedFile html = exportJac("RT_JAC_DEVICE_BASIC", "Device", report, "HTML", "de");
        const auto tables = RenderedPage::open(html.path).tables();
        ASSERT_EQ(tables.size(), 1);
        EXPECT_EQ(cellTexts(tables[0].body.value(0)), QStringList{"anna"} + values);
    }
}

TEST_F(JobAccountingExport, ReportsOfThePlugInExportEveryRecordInBothFormats) {
    // Per user grouped by user group, and per device with print details: the plug-in's own
    // Report elements from the fleet's job log, exported by the service.
    const QList<QHash<QString, QString>> reports{
        wholeHistory({{"ReportType", "RT_JAC_USER_BASIC"},
                      {"GroupBy", "UserGroupUser"},
                      {"SortBy", "SB_USER_LOGIN"}}),
        wholeHistory({{"ReportType", "RT_JAC_DEVICE_PRINT_DETAILS"},
                      {"GroupBy", "Device"},
                      {"SortBy", "SB_IPADDR"}})};
    for (const auto& parameters : reports) {
        SCOPED_TRACE(parameters.value("ReportType").toStdString());
        const QString id = generateReport(parameters);
        ASSERT_FALSE(id.isEmpty());
        const dom::Document document = exportDocument(id);
        const int records = dom::countDescendants(document.root(), "Record");
        ASSERT_GT(records, 0) << "the fleet's job log has jobs in the period";

        const ExportedFile csv = exportReport(id, "CSV", "de");
        const CsvTable table = CsvTable::read(csv.path, ';');
        ASSERT_TRUE(table.ok) << table.error.toStdString();
        EXPECT_EQ(table.rows.size(), records + 1);

        const ExportedFile html = exportReport(id, "HTML", "en");
        ASSERT_TRUE(RenderedPage::screenshot(html.path, screenshotPath(html.path, "en")));
        int shown = 0;
        for (const RenderedPage::Table& rows : RenderedPage::open(html.path).tables())
            shown += rows.body.size();
        EXPECT_EQ(shown, records);
    }
}
