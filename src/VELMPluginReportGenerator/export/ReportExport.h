#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class PeerCaller;
class VELMReport;
class VELMReportGenerator;

// What an export of a report reads from it.
struct ExportSource {
    QByteArray documentText; // the export document (exportDocumentText)
    int reportType = -1;
    QString groupBy;
    qint64 creationTime = 0; // seconds since 1970
};

// The file an export uploads.
struct ExportFile {
    QString name;
    QByteArray data;
};

// The stylesheet file an export of a report of `reportType` grouped by `groupBy` reads for the
// format's `extension` and the requested locale (empty: the default). None when the locale is
// not a plain name: no path is made from it.
std::optional<QString> exportStylesheetPath(int reportType, const QString& groupBy,
                                            const QString& extension,
                                            const QString& requestedLocale);

// Makes the file of one export: the stylesheet's output for "CSV", "HTML" and "HTM" (or the
// processor's error text when the stylesheet is missing or wrong, or the locale is not a plain
// name), the document text for "XML", an empty file for any other format. Reads the
// installation path now. The source's document text is let go as soon as it has been read.
ExportFile makeExportFile(ExportSource source, const QString& fileFormat, const QString& locale);

// The outcome of an export: the web service's path of the file, or why there is none.
struct ExportOutcome {
    int result = 0;
    QString details;
    QString filePath; // empty unless result is 0
};

// Exports a report: makes the file and uploads it with WEBUploadTemporaryFile. A file the web
// service did not store answers the upload's Result and Details (or -1 when the document could
// not be written), so that no caller takes it for an exported file. No lock of the report is
// held while transforming or uploading.
ExportOutcome exportAndUpload(VELMReport& report, const QString& fileFormat, const QString& locale,
                              PeerCaller& caller);

// "RGPExportReport" as a plain call: 107 for an id that is empty, not a number or unknown, 108
// while the report runs, otherwise exportAndUpload's outcome. A failed report exports what it
// holds.
ExportOutcome exportReportById(VELMReportGenerator& generator, const QString& reportId,
                               const QString& fileFormat, const QString& locale);
