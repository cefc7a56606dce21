// Exported web pages opened in headless Chromium: what the browser shows must be the report
// document's rows, translated and laid out per device, in both locales.
#include "CsvTable.h"
#include "ExportFixture.h"
#include "RenderedPage.h"

#include "../ChartImage.h"

#include "VELMPluginReportGenerator/charts/ChartPalette.h"
#include "VXNServiceFramework/dom/DomRead.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QStringList bothLocales{QStringLiteral("en"), QStringLiteral("de")};

QString thousandsSeparator(const QString& locale) {
    return locale == QStringLiteral("de") ? QStringLiteral(".") : QStringLiteral(",");
}

class ExportInBrowser : public ExportFixture {
protected:
    // Exports, opens and photographs the report's page; the screenshot stays beside the page.
    RenderedPage openExport(const QString& id, const QString& locale) {
        const ExportedFile file = exportReport(id, QStringLiteral("HTML"), locale);
        return openPage(file, locale);
    }

    RenderedPage openPage(const ExportedFile& file, const QString& locale) {
        EXPECT_FALSE(file.bytes.isEmpty()) << file.path.toStdString();
        EXPECT_TRUE(RenderedPage::screenshot(file.path, screenshotPath(file.path, locale)));
        RenderedPage page = RenderedPage::open(file.path);
        EXPECT_FALSE(page.isEmpty());
        lastPage = file.path;
        // Every label placeholder is translated, no script runs, and the page names its report.
        EXPECT_FALSE(page.dom().contains(QStringLiteral("#I18N_")));
        EXPECT_FALSE(page.dom().contains(QStringLiteral("<script")));
        EXPECT_EQ(page.texts(QStringLiteral("h1")).size(), 1);
        return page;
    }

    QString lastPage;
};

// Rows shown per device against the document's rows: key columns as text, counters as numbers
// with the locale's thousands separator.
void expectCounterTable(const RenderedPage::Table& table, const dom::Element* report,
                        const QStringList& fields, const QString& locale) {
    const auto rows = childElements(report, QStringLiteral("Row"));
    ASSERT_EQ(table.body.size(), rows.size());
    qlonglong total = 0;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const RenderedPage::Row& shown = table.body[r];
        ASSERT_EQ(shown.size(), fields.size() + 2);
        EXPECT_EQ(shown[0].text, dom::textContent(dom::firstChild(rows[r], "Period")));
        for (qsizetype f = 0; f < fields.size(); ++f) {
            const QString value = dom::textContent(dom::firstChild(rows[r], fields[f]));
            EXPECT_EQ(QString(shown[f + 1].text).remove(thousandsSeparator(locale)), value);
            EXPECT_TRUE(shown[f + 1].classes.contains(QStringLiteral("n")));
        }
        total += dom::textContent(dom::firstChild(rows[r], "Total")).toLongLong();
    }
    if (rows.size() > 1) {
        ASSERT_EQ(table.foot.size(), 1);
        EXPECT_EQ(QString(table.foot[0].last().text).remove(thousandsSeparator(locale)),
                  QString::number(total));
    }
}

} // namespace

TEST_F(ExportInBrowser, UsageTableShowsEachDevicesPeriodsWithTranslatedCountersAndTotals) {
    const QString id = generateReport(wholeHistory({{"ReportType", "RT_USAGE_COLOR_MONO"},
                                                    {"ReportFormat", "TABLE"},
                                                    {"Interval", "I_DAY"},
                                                    {"SortBy", "IP"}}),
                                      {"1", "2"});
    ASSERT_FALSE(id.isEmpty());
    const dom::Document document = exportDocument(id);
    const auto* body = dom::firstChild(document.root(), "Body");
    QStringList fields;
    for (const auto* column : childElements(dom::firstChild(body, "Columns"), "Column"))
        fields.append(dom::attribute(column, "field"));
    const auto devices = childElements(body, "Device");
    ASSERT_EQ(devices.size(), 2);

    const QHash<QString, QStringList> headers{
        {"en", {"Period", "Color", "Mono", "Total"}},
        {"de", {"Zeitraum", "Farbe", "Schwarzweiß", "Summe"}}};
    for (const QString& locale : bothLocales) {
        SCOPED_TRACE(locale.toStdString());
        const RenderedPage page = openExport(id, locale);
        const auto tables = page.tables();
        ASSERT_EQ(tables.size(), devices.size());
        const QStringList headings = page.texts("h2");
        for (qsizetype d = 0; d < devices.size(); ++d) {
            EXPECT_TRUE(headings[d].contains(dom::textContent(dom::firstChild(devices[d], "IP"))));
            EXPECT_EQ(cellTexts(tables[d].head.value(0)), headers[locale]);
            expectCounterTable(tables[d], dom::firstChild(devices[d], "Report"), fields, locale);
        }
    }
}

TEST_F(ExportInBrowser, UsageChartPageShowsTheUploadedChartFromItsOwnFolder) {
    const QString id = generateReport(wholeHistory({{"ReportType", "RT_USAGE_COLOR_MONO"},
                                                    {"ReportFormat", "Chart"},
                                                    {"ChartType", "CT_BAR"},
                                                    {"Interval", "I_DAY"}}),
                                      {"1"});
    ASSERT_FALSE(id.isEmpty());
    const dom::Document document = exportDocument(id);
    const QString chartPath =
        dom::textContent(dom::firstChild(dom::firstChild(document.root(), "Body"), "ChartPath"));
    ASSERT_FALSE(chartPath.isEmpty());
    QFile chart(QDir(webRoot()).filePath(chartPath));
    ASSERT_TRUE(chart.open(QIODevice::ReadOnly));
    const DecodedImage image = DecodedImage::decode(chart.readAll());
    const int firstSeries = chartPalette::seriesColour(0);
    const int barPixels = image.count(firstSeries, QRect(0, 0, image.width, image.height));
    ASSERT_GT(barPixels, 0);

    for (const QString& locale : bothLocales) {
        SCOPED_TRACE(locale.toStdString());
        const RenderedPage page = openExport(id, locale);
        const QStringList sources = page.attributes("img", "src");
        ASSERT_EQ(sources.size(), 1);
        // The page lies in an upload folder of its own; its image reference leads to the chart.
        const QString resolved =
            QFileInfo(QFileInfo(lastPage).dir().filePath(sources.first())).canonicalFilePath();
        EXPECT_EQ(resolved, QFileInfo(chart.fileName()).canonicalFilePath());
        // And the browser drew it: the bars' colour is on the screenshot.
        const QString png = installation.path() + "/chart-" + locale + ".png";
        ASSERT_TRUE(RenderedPage::screenshot(lastPage, png));
        QFile shot(png);
        ASSERT_TRUE(shot.open(QIODevice::ReadOnly));
        const DecodedImage shown = DecodedImage::decode(shot.readAll());
        EXPECT_GE(shown.count(firstSeries, QRect(0, 0, shown.width, shown.height)), barPixels / 2);
    }
}

TEST_F(ExportInBrowser, DeviceListShowsEveryRowAsTheDocumentHoldsItAndRunsNoMarkupFromData) {
    changeDatabase("UPDATE DevicePropertyValues SET Value = '<b>Annex</b> & \"Lab\"' "
                   "WHERE R_DeviceID = 2 AND R_PropertyID = 7");
    const QString id =
        generateReport({{"ReportType", "RT_DEVICE_LIST"}, {"SortBy", "IP"}}, {"1", "2", "3"});
    ASSERT_FALSE(id.isEmpty());
    const dom::Document document = exportDocument(id);
    const auto rows =
        childElements(dom::firstChild(dom::firstChild(document.root(), "Body"), "Report"), "Row");
    ASSERT_EQ(rows.size(), 6);

    for (const QString& locale : bothLocales) {
        SCOPED_TRACE(locale.toStdString());
        const RenderedPage page = openExport(id, locale);
        const auto tables = page.tables();
        ASSERT_EQ(tables.size(), 1);
        ASSERT_EQ(tables[0].body.size(), rows.size());
        for (qsizetype r = 0; r < rows.size(); ++r)
            EXPECT_EQ(cellTexts(tables[0].body[r]), childTextsInOrder(rows[r], deviceListColumns));
        EXPECT_FALSE(page.dom().contains("<b>Annex"));
        EXPECT_TRUE(page.dom().contains("&lt;b&gt;Annex&lt;/b&gt; &amp; \"Lab\""));
    }
}

TEST_F(ExportInBrowser, CurrentTotalPagesShowTheDeviceFirstAndItsCountersInTheQueriesOrder) {
    const QString id = generateReport({{"ReportType", "RT_USAGE_CURRENT_TOTAL_PAGES"}});
    ASSERT_FALSE(id.isEmpty());
    const dom::Document document = exportDocument(id);
    const auto rows =
        childElements(dom::firstChild(dom::firstChild(document.root(), "Body"), "Report"), "Row");
    ASSERT_FALSE(rows.isEmpty());

    const QHash<QString, QStringList> headers{
        {"en",
         {"Device ID", "IP address", "Model", "Serial number", "Page counter", "Print", "Copy",
          "Incoming fax", "Scan", "Reports"}},
        {"de",
         {"Geräte-ID", "IP-Adresse", "Modell", "Seriennummer", "Seitenzähler", "Druck", "Kopie",
          "Fax-Eingang", "Scan", "Berichte"}}};
    for (const QString& locale : bothLocales) {
        SCOPED_TRACE(locale.toStdString());
        const auto tables = openExport(id, locale).tables();
        ASSERT_EQ(tables.size(), 1);
        EXPECT_EQ(cellTexts(tables[0].head.value(0)), headers[locale]);
        ASSERT_EQ(tables[0].body.size(), rows.size());
        // The spreadsheet file has the same columns in the same order.
        const CsvTable csv = CsvTable::read(exportReport(id, QStringLiteral("CSV"), locale).path,
                                            locale == "de" ? ';' : ',');
        ASSERT_TRUE(csv.ok) << csv.error.toStdString();
        ASSERT_EQ(csv.rows.size(), rows.size() + 1);
        EXPECT_EQ(csv.rows[0], headers[locale]);
        for (qsizetype r = 0; r < rows.size(); ++r) {
            const QStringList expected = childTextsInOrder(rows[r], currentTotalPagesColumns);
            EXPECT_EQ(csv.rows[r + 1], expected);
            // On the page the counters have the locale's thousands separator.
            QStringList shown = cellTexts(tables[0].body[r]);
            for (qsizetype c = 4; c < shown.size(); ++c) {
                EXPECT_EQ(shown[c].contains(thousandsSeparator(locale)), shown[c].size() > 3);
                shown[c].remove(thousandsSeparator(locale));
            }
            EXPECT_EQ(shown, expected);
        }
    }
}

TEST_F(ExportInBrowser, FirmwareInformationWhoseBodyStaysEmptyShowsItsTitleAndNoError) {
    // Its type has no stylesheet name of its own: the export looks for "_htm.xsl".
    const QString id = generateReport({{"ReportType", "RT_DEVICE_FIRMWARE_INFO"}}, {"1"});
    ASSERT_FALSE(id.isEmpty());
    const QHash<QString, QStringList> texts{{"en", {"Firmware information", "No data"}},
                                            {"de", {"Firmware-Informationen", "Keine Daten"}}};
    for (const QString& locale : bothLocales) {
        SCOPED_TRACE(locale.toStdString());
        const RenderedPage page = openExport(id, locale);
        EXPECT_EQ(page.texts("h1"), QStringList{texts[locale][0]});
        EXPECT_EQ(page.texts("p").filter(texts[locale][1]).size(), 1);
        EXPECT_FALSE(page.dom().contains("Exception"));
        EXPECT_EQ(exportReport(id, QStringLiteral("CSV"), locale).bytes,
                  QByteArrayLiteral("\xEF\xBB\xBF"));
    }
}

TEST_F(ExportInBrowser, DevicePropertySummaryShowsEachDevicesPropertiesAndPropertyTables) {
    const QString id = generateReport({{"ReportType", "RT_DEVICE_INFO_SUMMARY"}}, {"1", "2"});
    ASSERT_FALSE(id.isEmpty());
    const dom::Document document = exportDocument(id);
    const auto devices = childElements(dom::firstChild(document.root(), "Body"), "Device");
    ASSERT_EQ(devices.size(), 2);

    for (const QString& locale : bothLocales) {
        SCOPED_TRACE(locale.toStdString());
        const RenderedPage page = openExport(id, locale);
        QList<RenderedPage::Table> tables = page.tables();
        for (const auto* device : devices) {
            ASSERT_FALSE(tables.isEmpty());
            // First the simple properties, one line each, then one table per table property.
            const RenderedPage::Table properties = tables.takeFirst();
            EXPECT_TRUE(properties.classes.contains("properties"));
            QStringList values;
            for (const auto* property : childElements(device))
                if (!dom::firstChild(property, "RowIndex"))
                    values.append(dom::textContent(property));
                else {
                    ASSERT_FALSE(tables.isEmpty());
                    const RenderedPage::Table rows = tables.takeFirst();
                    const auto indexes = childElements(property, "RowIndex");
                    ASSERT_EQ(rows.body.size(), indexes.size());
                    for (qsizetype i = 0; i < indexes.size(); ++i)
                        EXPECT_EQ(cellTexts(rows.body[i]),
                                  QStringList{dom::attribute(indexes[i], "ID")} +
                                      childTexts(indexes[i]));
                }
            QStringList shown;
            for (const RenderedPage::Row& row : properties.body)
                shown.append(row.value(1).text);
            EXPECT_EQ(shown, values);
        }
        EXPECT_TRUE(tables.isEmpty());
    }
}

TEST_F(ExportInBrowser, AlertHistoryShowsATablePerDeviceWithAlertsAndANoteForTheOthers) {
    const QString id =
        generateReport(wholeHistory({{"ReportType", "RT_ALERT_HISTORY"}, {"SortBy", "IP"}}));
    ASSERT_FALSE(id.isEmpty());
    const dom::Document document = exportDocument(id);
    const auto devices = childElements(dom::firstChild(document.root(), "Body"), "Device");
    ASSERT_EQ(devices.size(), 6);
    QList<QList<const dom::Element*>> rowsPerDevice;
    for (const auto* device : devices) {
        const auto rows = childElements(dom::firstChild(device, "Report"), "Row");
        if (!rows.isEmpty())
            rowsPerDevice.append(rows);
    }
    ASSERT_FALSE(rowsPerDevice.isEmpty()) << "the fleet holds alerts";

    for (const QString& locale : bothLocales) {
        SCOPED_TRACE(locale.toStdString());
        const RenderedPage page = openExport(id, locale);
        EXPECT_EQ(page.texts("h2").size(), devices.size());
        const auto tables = page.tables();
        ASSERT_EQ(tables.size(), rowsPerDevice.size());
        for (qsizetype t = 0; t < tables.size(); ++t) {
            ASSERT_EQ(tables[t].body.size(), rowsPerDevice[t].size());
            for (qsizetype r = 0; r < rowsPerDevice[t].size(); ++r)
                EXPECT_EQ(cellTexts(tables[t].body[r]),
                          childTextsInOrder(rowsPerDevice[t][r], alertHistoryColumns));
        }
        EXPECT_EQ(page.texts("p").filter(locale == "de" ? "Keine Daten" : "No data").size(),
                  devices.size() - rowsPerDevice.size());
    }
}

TEST_F(ExportInBrowser, HeadingNamesThePeriodInTheLocalesOrderAndTheSelectedGroups) {
    const QString id = generateReport(
        {{"ReportType", "RT_DEVICE_INFO_SUMMARY"}, {"Period", "P_LAST_MONTH"}}, {}, {"1", "2"});
    ASSERT_FALSE(id.isEmpty());
    const dom::Document document = exportDocument(id);
    const auto* info = dom::firstChild(document.root(), "Info");
    const QDateTime from = QDateTime::fromString(dom::textContent(dom::firstChild(info, "From")),
                                                 "yyyy-MM-dd hh:mm:ss");
    const QDateTime to =
        QDateTime::fromString(dom::textContent(dom::firstChild(info, "To")), "yyyy-MM-dd hh:mm:ss");
    ASSERT_TRUE(from.isValid() && to.isValid());

    const QHash<QString, QStringList> expected{
        {"en",
         {from.toString("yyyy-MM-dd hh:mm:ss") + " – " + to.toString("yyyy-MM-dd hh:mm:ss"),
          "Groups: Headquarters, Munich Office"}},
        {"de",
         {from.toString("dd.MM.yyyy hh:mm:ss") + " – " + to.toString("dd.MM.yyyy hh:mm:ss"),
          "Gruppen: Headquarters, Munich Office"}}};
    for (const QString& locale : bothLocales) {
        SCOPED_TRACE(locale.toStdString());
        const QStringList values = openExport(id, locale).texts("dd");
        ASSERT_EQ(values.size(), 3); // period, generation time, selection
        EXPECT_EQ(values.first(), expected[locale].first());
        EXPECT_EQ(values.last(), expected[locale].last());
    }
}
