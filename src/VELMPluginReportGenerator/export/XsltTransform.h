#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <xalanc/XalanTransformer/XalanParsedSource.hpp>

// One XSLT transformation: the stylesheet file at `stylesheetPath` is compiled first, then run
// over a document given as text or as the processor's own tree. Answers the output; when the
// processor fails, the output it made so far followed by its error text, so the reader of the
// file sees why it is not what they expected. Warnings of the processor are dropped. Each run has
// its own processor, so runs may go on concurrently; one run is used by one thread.
class XsltRun {
public:
    explicit XsltRun(const QString& stylesheetPath);
    ~XsltRun();
    XsltRun(const XsltRun&) = delete;
    XsltRun& operator=(const XsltRun&) = delete;

    // Whether the stylesheet was compiled; when not, failure() holds the processor's error.
    bool compiled() const;
    QByteArray failure() const;

    // Whether whitespace-only text directly inside an element of this name (no namespace, no
    // xml:space around it) is stripped by the stylesheet before it is read. Cached per name.
    bool stripsWhitespaceIn(const char16_t* elementName);

    // The processor parses `document` (an XML text) into its own tree first and lets the text go
    // before transforming: hand it over with std::move where the caller no longer needs it.
    QByteArray transform(QByteArray document);
    // Transforms a tree of the processor's and lets it go before the output is put together.
    QByteArray transform(std::unique_ptr<xalanc::XalanParsedSource> document);

private:
    // The stylesheet writes text (no markup) in UTF-8, named so or by default.
    bool writesUtf8Text() const;
    QByteArray transformed(const xalanc::XalanParsedSource& document,
                           const std::function<void()>& release);

    struct Processor;
    std::unique_ptr<Processor> m_processor;
};

// A whole run over a document text: XsltRun(stylesheetPath).transform(document), or the error.
QByteArray transformXslt(QByteArray document, const QString& stylesheetPath);
