#pragma once

#include "support/ChildProcess.h"
#include "support/TestInstallation.h"

#include "VXNServiceFramework/dom/DomDocument.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QTemporaryDir>
#include <memory>

// An exported file where a user finds it below the web root.
struct ExportedFile {
    QString path; // absolute
    QByteArray bytes;
};

// An installation (its "Path" in the system settings) with the export stylesheets of this source
// tree below its web root, velm-peers on a small generated fleet serving that web root, and
// velm-report registered with it: reports are generated, fetched and exported with
// RGPExportReport, and the files read where a user finds them below the web root.
class ExportFixture : public testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Generates the report for the devices (or else the groups) given, waits for its end and
    // answers its id ("" when it failed).
    QString generateReport(const QHash<QString, QString>& parameters,
                           const QStringList& devices = {}, const QStringList& groups = {});
    // The document an export transforms: VXNResponse holding the report's Info and Body.
    dom::Document exportDocument(const QString& id);

    // The report exported with RGPExportReport in `format` ("HTML" or "CSV") and `locale`.
    ExportedFile exportReport(const QString& id, const QString& format, const QString& locale);
    // A document written by the test (for reports whose body comes from elsewhere) made into
    // the file the export would upload for a report of `type` grouped by `groupBy`, and laid in
    // an upload folder of its own below the web root.
    ExportedFile exportDocumentAs(const QByteArray& document, const QString& type,
                                  const QString& groupBy, const QString& format,
                                  const QString& locale);
    // Where a screenshot of the page at `file` is kept: in the test's folder.
    QString screenshotPath(const QString& file, const QString& locale) const;

    // Runs SQL on the test's database through velm-peers.
    void changeDatabase(const QString& sql);

    QString webRoot() const;

    static std::unique_ptr<QTemporaryDir> fleetDir;
    TestInstallation installation; // before the processes: they inherit its settings
    ChildProcess peers;
    ChildProcess report;
};

// The parameters with a custom period covering the whole generated history (and a little more).
QHash<QString, QString> wholeHistory(QHash<QString, QString> parameters);

// Values as they lie in a report document, for comparing with what an export shows.
QStringList childTexts(const dom::Element* parent);
// The texts of the children named, in the order of `names`; a child not named fails the test.
QStringList childTextsInOrder(const dom::Element* parent, const QStringList& names);
// A row's columns in the order the exports show them: as the report's query answers them.
extern const QStringList deviceListColumns;
extern const QStringList currentTotalPagesColumns;
extern const QStringList alertHistoryColumns; // without the device id: each device has a table
QList<const dom::Element*> childElements(const dom::Element* parent, const QString& name = {});
