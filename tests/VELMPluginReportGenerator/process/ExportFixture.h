#pragma once

#include "support/ChildProcess.h"

#include "VXNServiceFramework/dom/DomDocument.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QTemporaryDir>
#include <memory>

// velm-peers on a small generated fleet with the export stylesheets installed below its web
// root, and velm-report registered with it: reports are generated, fetched and exported as a
// user would find the files below the web root.
class ExportFixture : public testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Generates the report, waits for its end and answers its id ("" when it failed).
    QString generateReport(const QHash<QString, QString>& parameters,
                           const QStringList& devices = {});
    // The document an export transforms: VXNResponse holding the report's Info and Body.
    dom::Document exportDocument(const QString& id);

    struct ExportedFile {
        QString path; // absolute, below the web root
        QByteArray bytes;
    };
    // The report exported in `format` ("HTML" or "CSV") and `locale`, as it lies below the web
    // root in an upload folder of its own.
    ExportedFile exportReport(const QString& id, const QString& format, const QString& locale);
    // A document written by the test (for reports whose body comes from elsewhere) exported
    // with the stylesheet of `baseName`.
    ExportedFile exportDocumentAs(const QByteArray& document, const QString& baseName,
                                  const QString& format, const QString& locale);

    // Runs SQL on the test's database through velm-peers.
    void changeDatabase(const QString& sql);

    QString webRoot() const;

    static std::unique_ptr<QTemporaryDir> fleetDir;
    QTemporaryDir dir;
    ChildProcess peers;
    ChildProcess report;
};

// The parameters with a custom period covering the whole generated history (and a little more).
QHash<QString, QString> wholeHistory(QHash<QString, QString> parameters);

// Values as they lie in a report document, for comparing with what an export shows.
QStringList childTexts(const dom::Element* parent);
QList<const dom::Element*> childElements(const dom::Element* parent, const QString& name = {});
