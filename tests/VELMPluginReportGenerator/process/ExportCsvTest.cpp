// Exported CSV files read back by an independent RFC 4180 reader: every cell must come back as
// the document holds it, except that text a spreadsheet would run as a formula is guarded.
#include "CsvTable.h"
#include "ExportFixture.h"
#include "RenderedPage.h"
#include "support/Stylesheets.h"

#include "VXNServiceFramework/dom/DomRead.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

const QByteArray byteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

QChar separatorOf(const QString& locale) {
    return locale == QStringLiteral("de") ? QLatin1Char(';') : QLatin1Char(',');
}

// A cell as a spreadsheet must get it: text starting like a formula behind an apostrophe.
QString guarded(const QString& value) {
    bool number = false;
    value.toDouble(&number);
    const bool formulaLike = !value.isEmpty() && QStringLiteral("=+-@").contains(value.front());
    return formulaLike && !number ? QLatin1Char('\'') + value : value;
}

QStringList guarded(const QStringList& values) {
    QStringList cells;
    for (const QString& value : values)
        cells.append(guarded(value));
    return cells;
}

// Writes `bytes` beside `file` (so that relative references lead to the same places).
QString writeBeside(const QString& file, const QByteArray& bytes) {
    const QString path = QFileInfo(file).dir().filePath(QStringLiteral("reference.htm"));
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes);
    return path;
}

// The rendered page from its html element on, without line breaks (the doctype and the line
// breaks around the page are each processor's own).
std::string pageFromHtml(const QString& dom) {
    return dom.mid(dom.indexOf(QStringLiteral("<html"))).remove(QLatin1Char('\n')).toStdString();
}

class ExportCsv : public ExportFixture {
protected:
    // Exports the report as CSV in `locale`, checks the byte-order mark and reads it back.
    CsvTable exportCsv(const QString& id, const QString& locale) {
        return readBack(exportReport(id, QStringLiteral("CSV"), locale), locale);
    }

    static CsvTable readBack(const ExportedFile& file, const QString& locale) {
        EXPECT_TRUE(file.bytes.startsWith(byteOrderMark));
        EXPECT_FALSE(file.bytes.contains("#I18N_"));
        CsvTable table = CsvTable::read(file.path, separatorOf(locale));
        EXPECT_TRUE(table.ok) << table.error.toStdString();
        // Every line has the header's number of fields.
        for (const QStringList& row : table.rows)
            EXPECT_EQ(row.size(), table.rows.value(0).size());
        return table;
    }
};

} // namespace

TEST_F(ExportCsv, DeviceListReadsBackCellForCellWithFormulasGuardedAndQuotingKept) {
    changeDatabase("UPDATE DevicePropertyValues SET Value = '=1+2' "
                   "WHERE R_DeviceID = 1 AND R_PropertyID = 7");
    changeDatabase("UPDATE DevicePropertyValues SET Value = 'Annex \"B\"; Floor 2, Room 7' "
                   "WHERE R_DeviceID = 2 AND R_PropertyID = 7");
    changeDatabase("UPDATE DevicePropertyValues SET Value = 'Line one' || char(10) || 'Line two' "
                   "WHERE R_DeviceID = 3 AND R_PropertyID = 7");
    changeDatabase("UPDATE DevicePropertyValues SET Value = '@SUM(A1:A9)' "
                   "WHERE R_DeviceID = 4 AND R_PropertyID = 3");
    const QString id = generateReport({{"ReportType", "RT_DEVICE_LIST"}, {"SortBy", "IP"}}, {"1"});
    ASSERT_FALSE(id.isEmpty());
    const dom::Document document = exportDocument(id);
    const auto rows =
        childElements(dom::firstChild(dom::firstChild(document.root(), "Body"), "Report"), "Row");
    ASSERT_EQ(rows.size(), 6);

    const QHash<QString, QString> locationLabel{{"en", "Location"}, {"de", "Standort"}};
    for (const QString& locale : {QStringLiteral("en"), QStringLiteral("de")}) {
        SCOPED_TRACE(locale.toStdString());
        const CsvTable table = exportCsv(id, locale);
        ASSERT_EQ(table.rows.size(), rows.size() + 1);
        EXPECT_EQ(table.rows[0].indexOf(locationLabel[locale]), 6);
        for (qsizetype r = 0; r < rows.size(); ++r)
            EXPECT_EQ(table.rows[r + 1], guarded(childTextsInOrder(rows[r], deviceListColumns)));
        QString all;
        for (const QStringList& row : table.rows)
            all += row.join(QString());
        EXPECT_TRUE(all.contains("'=1+2"));
        EXPECT_TRUE(all.contains("'@SUM(A1:A9)"));
        EXPECT_TRUE(all.contains("Annex \"B\"; Floor 2, Room 7"));
        EXPECT_TRUE(all.contains("Line one\nLine two"));
    }
}

TEST_F(ExportCsv, UsageTableKeepsCountersAndNegativeResetsAsNumbers) {
    const QString id = generateReport(wholeHistory({{"ReportType", "RT_USAGE_COLOR_MONO"},
                                                    {"ReportFormat", "TABLE"},
                                                    {"Interval", "I_DAY"},
                                                    {"SortBy", "IP"}}),
                                      {"1", "2", "3", "4", "5", "6"});
    ASSERT_FALSE(id.isEmpty());
    const dom::Document document = exportDocument(id);
    const auto* body = dom::firstChild(document.root(), "Body");
    // Each line: the device's id and columns, Period, the counters in column order, Total.
    QList<QStringList> expected;
    for (const auto* device : childElements(body, "Device")) {
        QStringList deviceColumns{dom::attribute(device, "ID")};
        for (const auto* column : childElements(device))
            if (dom::name(column) != "Report")
                deviceColumns.append(dom::textContent(column));
        for (const auto* row : childElements(dom::firstChild(device, "Report"), "Row")) {
            QStringList line = deviceColumns;
            line.append(dom::textContent(dom::firstChild(row, "Period")));
            for (const auto* column : childElements(dom::firstChild(body, "Columns"), "Column"))
                line.append(
                    dom::textContent(dom::firstChild(row, dom::attribute(column, "field"))));
            line.append(dom::textContent(dom::firstChild(row, "Total")));
            expected.append(line);
        }
    }
    ASSERT_FALSE(expected.isEmpty());
    const bool holdsReset =
        std::any_of(expected.begin(), expected.end(), [](const QStringList& line) {
            return std::any_of(line.begin(), line.end(),
                               [](const QString& cell) { return cell.startsWith('-'); });
        });
    ASSERT_TRUE(holdsReset) << "the generated fleet resets a counter";

    for (const QString& locale : {QStringLiteral("en"), QStringLiteral("de")}) {
        SCOPED_TRACE(locale.toStdString());
        const CsvTable table = exportCsv(id, locale);
        ASSERT_EQ(table.rows.size(), expected.size() + 1);
        EXPECT_EQ(table.rows[0].value(0), locale == "de" ? "Geräte-ID" : "Device ID");
        const QStringList counterLabels = locale == "de"
                                              ? QStringList{"Farbe", "Schwarzweiß", "Summe"}
                                              : QStringList{"Color", "Mono", "Total"};
        EXPECT_EQ(table.rows[0].mid(table.rows[0].size() - 3), counterLabels);
        // Counters are written as they are: a reset's negative difference stays a number.
        for (qsizetype r = 0; r < expected.size(); ++r)
            EXPECT_EQ(table.rows[r + 1], expected[r]);
    }
}

TEST_F(ExportCsv, DevicePropertySummaryHasALinePerDeviceAndATablePropertyPerCell) {
    const QString id = generateReport({{"ReportType", "RT_DEVICE_INFO_SUMMARY"}}, {"1", "2"});
    ASSERT_FALSE(id.isEmpty());
    const dom::Document document = exportDocument(id);
    const auto devices = childElements(dom::firstChild(document.root(), "Body"), "Device");
    ASSERT_EQ(devices.size(), 2);

    const CsvTable table = exportCsv(id, QStringLiteral("en"));
    ASSERT_EQ(table.rows.size(), devices.size() + 1);
    const QStringList header = table.rows[0];
    for (qsizetype d = 0; d < devices.size(); ++d) {
        const QStringList& line = table.rows[d + 1];
        EXPECT_EQ(line[0], dom::attribute(devices[d], "ID"));
        EXPECT_TRUE(line.contains(dom::textContent(dom::firstChild(devices[d], "Serial"))));
        EXPECT_TRUE(line.contains(dom::textContent(dom::firstChild(devices[d], "IP"))));
        // A table property: one line per table row inside the cell.
        const auto supplies = childElements(dom::firstChild(devices[d], "SupplyInfos"), "RowIndex");
        const QString cell = line.value(header.indexOf("Supplies"));
        ASSERT_FALSE(supplies.isEmpty());
        EXPECT_EQ(cell.count('\n'), supplies.size() - 1);
        EXPECT_TRUE(cell.contains(dom::textContent(dom::firstChild(supplies[0], "Description"))));
    }
}

TEST_F(ExportCsv, XalanInTheServiceAndXsltprocWriteTheSameFiles) {
    // The stylesheets keep to what both processors read alike; a construct one of them reads
    // differently (a decimal format, a key, document('')) shows here as different bytes.
    const QList<QPair<QString, QHash<QString, QString>>> reports{
        {"ReportResult_type2", {{"ReportType", "RT_DEVICE_LIST"}, {"SortBy", "IP"}}},
        {"ReportResult_type1_UA", wholeHistory({{"ReportType", "RT_USAGE_COLOR_MONO"},
                                                {"ReportFormat", "TABLE"},
                                                {"Interval", "I_DAY"},
                                                {"SortBy", "IP"}})},
        {"RT_DEVICE_INFO_SUMMARY", {{"ReportType", "RT_DEVICE_INFO_SUMMARY"}}},
        {"ReportResult_type3",
         wholeHistory({{"ReportType", "RT_ALERT_HISTORY"}, {"SortBy", "IP"}})}};
    for (const auto& [baseName, parameters] : reports) {
        SCOPED_TRACE(baseName.toStdString());
        const QString id = generateReport(parameters, {"1", "2"});
        ASSERT_FALSE(id.isEmpty());
        const ExportedFile document = exportReport(id, "XML", "");
        for (const QString& locale : {QStringLiteral("en"), QStringLiteral("de")}) {
            // Pages are compared as the browser reads them, in the locale with umlauts.
            const QStringList formats =
                locale == "de" ? QStringList{"CSV", "HTML"} : QStringList{"CSV"};
            for (const QString& format : formats) {
                const ExportedFile exported = exportReport(id, format, locale);
                QProcess xsltproc;
                xsltproc.start(
                    "xsltproc",
                    {QDir(stylesheets::installedDir(webRoot(), locale))
                         .filePath(baseName + (format == "CSV" ? "_csv" : "_htm") + ".xsl"),
                     document.path});
                ASSERT_TRUE(xsltproc.waitForFinished(60000));
                const QByteArray reference = xsltproc.readAllStandardOutput();
                if (format == "CSV")
                    EXPECT_EQ(exported.bytes, reference) << locale.toStdString();
                else // the two write characters and the doctype differently; the pages read alike
                    EXPECT_EQ(pageFromHtml(RenderedPage::open(exported.path).dom()),
                              pageFromHtml(
                                  RenderedPage::open(writeBeside(exported.path, reference)).dom()));
            }
        }
    }
}
