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

// Exports a report: makes the file and uploads it with WEBUploadTemporaryFile. Answers the
// web service's path of the file, empty when the document could not be written or the upload
// failed. No lock of the report is held while transforming or uploading.
QString exportReport(VELMReport& report, const QString& fileFormat, const QString& locale,
                     PeerCaller& caller);

// The outcome of "RGPExportReport" for a report id as the request carries it.
struct ExportOutcome {
    int result = 0;
    QString details;
    QString filePath; // empty when the upload failed (result stays 0)
};

// "RGPExportReport" as a plain call: 107 for an id that is empty, not a number or unknown, 108
// while the report runs, otherwise 0 with the uploaded file's path. A failed report exports
// what it holds.
ExportOutcome exportReportById(VELMReportGenerator& generator, const QString& reportId,
                               const QString& fileFormat, const QString& locale);
