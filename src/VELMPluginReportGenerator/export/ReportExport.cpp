#include "VELMPluginReportGenerator/export/ReportExport.h"

#include "VELMPluginReportGenerator/VELMReportGenerator.h"
#include "VELMPluginReportGenerator/builders/ReportDocument.h"
#include "VELMPluginReportGenerator/export/DomSourceTree.h"
#include "VELMPluginReportGenerator/export/ExportDocument.h"
#include "VELMPluginReportGenerator/export/ExportFormat.h"
#include "VELMPluginReportGenerator/export/ExportLocale.h"
#include "VELMPluginReportGenerator/export/InstallationPath.h"
#include "VELMPluginReportGenerator/export/XsltTransform.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"
#include "VELMPluginReportGenerator/report/ReportResult.h"
#include "VELMPluginReportGenerator/service/ReportIdText.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/client/PeerCaller.h"
#include "VXNServiceFramework/dom/DomWriter.h"
#include "VXNServiceFramework/packets/ResultCodes.h"
#include "peers/CmdWebUploadTemporaryFileRequest.h"
#include "peers/CmdWebUploadTemporaryFileResponse.h"

#include <malloc.h>
#include <optional>

namespace {

// The file's text when the locale could name something other than a stylesheet directory;
// the reader of the file sees it as it is.
QByteArray refusedLocaleText(const QString& locale) {
    return QStringLiteral("The locale \"%1\" is not a plain name (letters, optionally '-' or "
                          "'_' and a region); no stylesheet was opened.")
        .arg(locale)
        .toUtf8();
}

// exportStylesheetPath, saying in the log when the locale is refused.
std::optional<QString> stylesheetFor(int reportType, const QString& groupBy,
                                     const QString& extension, const QString& locale) {
    std::optional<QString> path = exportStylesheetPath(reportType, groupBy, extension, locale);
    if (!path)
        VELM_ERR << "Export: locale \"" << locale << "\" refused; no stylesheet opened";
    return path;
}

QByteArray transformed(ExportSource& source, const QString& extension,
                       const QString& requestedLocale) {
    const QString locale = exportLocale::effective(requestedLocale);
    const std::optional<QString> stylesheet =
        stylesheetFor(source.reportType, source.groupBy, extension, locale);
    if (!stylesheet)
        return refusedLocaleText(locale);
    return transformXslt(std::move(source.documentText), *stylesheet);
}

// The stylesheet's file of a report. Where the stylesheet strips the indentation anyway, the
// processor's tree is built straight from the report's nodes: no text and no parser beside it.
// None when the document cannot be written.
std::optional<QByteArray> styledFile(VELMReport& report, const QString& extension,
                                     const QString& requestedLocale) {
    const QString locale = exportLocale::effective(requestedLocale);
    const std::optional<QString> stylesheet =
        stylesheetFor(report.reportType(), report.groupBy(), extension, locale);
    if (!stylesheet)
        return refusedLocaleText(locale);
    XsltRun run(*stylesheet);
    std::unique_ptr<xalanc::XalanParsedSource> tree;
    QByteArray text;
    try {
        // Only the tree or the text is made under the document lock; the transformation runs
        // on what was made.
        report.readDocument([&](const ReportDocument* document) {
            const dom::Element* root = document ? document->root() : nullptr;
            tree = domSourceTree::build(exportDocumentParts(root), [&](const char16_t* name) {
                return run.stripsWhitespaceIn(name);
            });
            if (!tree)
                text = exportDocumentText(root);
        });
    } catch (const dom::WriteError& e) {
        VELM_ERR << "Report " << report.id()
                 << ": the export document cannot be written: " << e.what();
        return std::nullopt;
    }
    return tree ? run.transform(std::move(tree)) : run.transform(std::move(text));
}

// The export source of a finished report; none when its document cannot be written.
std::optional<ExportSource> sourceOf(VELMReport& report) {
    ExportSource source;
    source.reportType = report.reportType();
    source.groupBy = report.groupBy();
    source.creationTime = report.creationTime();
    try {
        // Only the copy is made under the document lock; the transformation runs on the text.
        report.readDocument([&](const ReportDocument* document) {
            source.documentText = exportDocumentText(document ? document->root() : nullptr);
        });
    } catch (const dom::WriteError& e) {
        VELM_ERR << "Report " << report.id()
                 << ": the export document cannot be written: " << e.what();
        return std::nullopt;
    }
    return source;
}

// The Details of an upload answered without a path; callers see it as it is.
const QString noUploadPathText =
    ResultText::wrongResponsePrefix + QStringLiteral("the web service answered no file path");

ExportOutcome upload(const ExportFile& file, PeerCaller& caller) {
    CmdWebUploadTemporaryFileRequest request;
    request.fileName = file.name;
    request.data = file.data;
    const auto answer = caller.call<CmdWebUploadTemporaryFileResponse>(request);
    if (answer->result() != ResultCode::Ok) {
        VELM_ERR << "Export: upload of " << file.name << " failed: " << answer->result() << " "
                 << answer->details();
        return {answer->result(), answer->details(), {}};
    }
    // An answer without a path (a process that does not serve uploads answers an empty
    // envelope, which reads as 0) stored no file that anybody could fetch.
    if (answer->path.isEmpty()) {
        VELM_ERR << "Export: upload of " << file.name << " answered no path";
        return {ResultCode::WrongResponseFormat, noUploadPathText, {}};
    }
    return {ResultCode::Ok, ReportResult::okText, answer->path};
}

// The outcome when the report's document could not be written (the reason is in the log).
ExportOutcome unwritableDocument() {
    return {
        ResultCode::HandlerException, QStringLiteral("The report document cannot be written"), {}};
}

} // namespace

std::optional<QString> exportStylesheetPath(int reportType, const QString& groupBy,
                                            const QString& extension,
                                            const QString& requestedLocale) {
    const QString locale = exportLocale::effective(requestedLocale);
    if (!exportLocale::isPlainName(locale))
        return std::nullopt;
    return exportFormat::stylesheetPath(installationPath(), locale,
                                        reportRegistry::stylesheetBaseName(reportType, groupBy),
                                        extension);
}

ExportFile makeExportFile(ExportSource source, const QString& fileFormat, const QString& locale) {
    const exportFormat::Format format = exportFormat::byName(fileFormat);
    ExportFile file{exportFormat::fileName(source.creationTime, format.extension), {}};
    switch (format.maker) {
    case exportFormat::Maker::Stylesheet:
        file.data = transformed(source, format.extension, locale);
        break;
    case exportFormat::Maker::Document:
        file.data = std::move(source.documentText);
        break;
    case exportFormat::Maker::Nothing:
        break;
    }
    return file;
}

namespace {

// An export frees tens of megabytes in many small blocks; the allocator would keep them as
// scattered free space that the next export grows past. Handing the free pages back once per
// export keeps repeated exports near the peak of the first.
struct FreedPagesReturned {
    FreedPagesReturned() = default;
    FreedPagesReturned(const FreedPagesReturned&) = delete;
    FreedPagesReturned& operator=(const FreedPagesReturned&) = delete;
    ~FreedPagesReturned() { malloc_trim(0); }
};

} // namespace

ExportOutcome exportAndUpload(VELMReport& report, const QString& fileFormat, const QString& locale,
                              PeerCaller& caller) {
    const FreedPagesReturned freedPagesReturned;
    const exportFormat::Format format = exportFormat::byName(fileFormat);
    if (format.maker == exportFormat::Maker::Stylesheet) {
        // The processor's tree is let go inside: the upload's body is never held next to it.
        std::optional<QByteArray> data = styledFile(report, format.extension, locale);
        if (!data)
            return unwritableDocument();
        return upload(
            {exportFormat::fileName(report.creationTime(), format.extension), std::move(*data)},
            caller);
    }
    // The document text goes into the file's making and is let go there.
    std::optional<ExportSource> source = sourceOf(report);
    if (!source)
        return unwritableDocument();
    const ExportFile file = makeExportFile(std::move(*source), fileFormat, locale);
    source.reset();
    return upload(file, caller);
}

ExportOutcome exportReportById(VELMReportGenerator& generator, const QString& reportId,
                               const QString& fileFormat, const QString& locale) {
    const std::optional<int> id = reportIdFrom(reportId);
    const auto report = id ? generator.findReport(*id) : nullptr;
    if (!report)
        return {ReportResult::InvalidReportId, ReportResult::invalidReportIdText, {}};
    if (!report->isFinished())
        return {ReportResult::InProgress, ReportResult::inProgressText, {}};
    return exportAndUpload(*report, fileFormat, locale, generator.caller());
}
