#include "VELMPluginReportGenerator/export/XsltTransform.h"

#include "VELMPluginReportGenerator/export/XalanRuntime.h"

#include "VXNServiceFramework/app/Log.h"

#include <QUrl>
#include <algorithm>
#include <istream>
#include <map>
#include <ostream>
#include <streambuf>
#include <vector>
#include <xalanc/PlatformSupport/AttributesImpl.hpp>
#include <xalanc/PlatformSupport/DOMStringPrintWriter.hpp>
#include <xalanc/XSLT/StylesheetRoot.hpp>
#include <xalanc/XalanDOM/XalanElement.hpp>
#include <xalanc/XalanDOM/XalanText.hpp>
#include <xalanc/XalanSourceTree/XalanSourceTreeContentHandler.hpp>
#include <xalanc/XalanSourceTree/XalanSourceTreeDocument.hpp>
#include <xalanc/XalanSourceTree/XalanSourceTreeParserLiaison.hpp>
#include <xalanc/XalanTransformer/XalanCompiledStylesheet.hpp>
#include <xalanc/XalanTransformer/XalanTransformer.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>

namespace {

// Reads a byte array in place; the transformation's input is never copied.
class ByteReader : public std::streambuf {
public:
    explicit ByteReader(const QByteArray& bytes) {
        char* begin = const_cast<char*>(bytes.constData()); // only ever read
        setg(begin, begin, begin + bytes.size());
    }
};

// Collects what is written in blocks of a fixed size: a single growing array would hold its old
// and its new storage at once whenever it grows, beside the processor's tree.
class BlockWriter : public std::streambuf {
public:
    // Writes the blocks into one array, letting each go once copied.
    QByteArray joined() {
        sync();
        qsizetype size = 0;
        for (const QByteArray& block : m_blocks)
            size += block.size();
        QByteArray bytes(size, Qt::Uninitialized);
        char* at = bytes.data();
        for (QByteArray& block : m_blocks) {
            std::copy(block.cbegin(), block.cend(), at);
            at += block.size();
            block = QByteArray();
        }
        m_blocks.clear();
        return bytes;
    }

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            const char byte = traits_type::to_char_type(c);
            xsputn(&byte, 1);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* data, std::streamsize count) override {
        for (std::streamsize left = count; left > 0;) {
            if (m_blocks.empty() || m_blocks.back().size() == blockSize) {
                m_blocks.emplace_back();
                m_blocks.back().reserve(blockSize);
            }
            QByteArray& block = m_blocks.back();
            const qsizetype taken = std::min<qsizetype>(left, blockSize - block.size());
            block.append(data, taken);
            data += taken;
            left -= taken;
        }
        return count;
    }

private:
    static constexpr qsizetype blockSize = 256 * 1024;
    std::vector<QByteArray> m_blocks;
};

// Takes the processor's output as UTF-16 characters and keeps it as UTF-8 blocks. The processor's
// own UTF-8 output stream cannot write a character beyond 16 bits whose two code units its
// buffer happens to split: it grows its target until memory runs out. Here a pair is only ever
// converted whole: a first half at the end of what was written waits for the rest.
class Utf8Collector : public xalanc::DOMStringPrintWriter {
public:
    Utf8Collector() : DOMStringPrintWriter(m_text) {}

    void write(const char* s, size_t offset, size_t length) override {
        DOMStringPrintWriter::write(s, offset, length);
        drainWhenLarge();
    }
    void write(const xalanc::XalanDOMChar* s, xalanc::XalanDOMString::size_type offset,
               xalanc::XalanDOMString::size_type length) override {
        DOMStringPrintWriter::write(s, offset, length);
        drainWhenLarge();
    }
    void write(xalanc::XalanDOMChar c) override {
        DOMStringPrintWriter::write(c);
        drainWhenLarge();
    }
    void write(const xalanc::XalanDOMString& s, xalanc::XalanDOMString::size_type offset,
               xalanc::XalanDOMString::size_type length) override {
        DOMStringPrintWriter::write(s, offset, length);
        drainWhenLarge();
    }

    // Everything written, as UTF-8; a first half left alone at the end becomes U+FFFD.
    QByteArray joined() {
        drain(m_text.length());
        return m_blocks.joined();
    }

private:
    void drainWhenLarge() {
        if (m_text.length() < drainChars)
            return;
        xalanc::XalanDOMString::size_type whole = m_text.length();
        if (QChar::isHighSurrogate(m_text[whole - 1]))
            --whole;
        drain(whole);
    }
    void drain(xalanc::XalanDOMString::size_type count) {
        if (count == 0)
            return;
        const QByteArray utf8 = QStringView(m_text.c_str(), qsizetype(count)).toUtf8();
        m_blocks.sputn(utf8.constData(), utf8.size());
        m_text.erase(0, count);
    }

    static constexpr xalanc::XalanDOMString::size_type drainChars = 64 * 1024;
    xalanc::XalanDOMString m_text;
    BlockWriter m_blocks;
};

// Where the processor's warnings and messages go: nowhere.
class Discard : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// The parser's complaints about a stylesheet or a document go to the log as one line each,
// instead of the processor's own lines on the console; a fatal one still ends the parse, and the
// processor's error text is what the caller gets.
class ParserComplaints : public xercesc::ErrorHandler {
public:
    void warning(const xercesc::SAXParseException&) override {}
    void error(const xercesc::SAXParseException& e) override { log(e); }
    void fatalError(const xercesc::SAXParseException& e) override {
        log(e);
        throw e;
    }
    void resetErrors() override {}

private:
    static void log(const xercesc::SAXParseException& e) {
        const auto text = [](const XMLCh* chars) {
            return chars ? QString::fromUtf16(chars) : QString();
        };
        const QString where = text(e.getSystemId());
        VELM_ERR << "Export: " << text(e.getMessage())
                 << (where.isEmpty() ? QString()
                                     : QStringLiteral(" (%1, line %2, column %3)")
                                           .arg(where)
                                           .arg(e.getLineNumber())
                                           .arg(e.getColumnNumber()));
    }
};

// Asks the stylesheet about a one-element document "<name> </name>": the stripping rule of a
// text node depends only on its parent's name and on xml:space around it.
bool strippedIn(const xalanc::StylesheetRoot& stylesheet, const char16_t* elementName) {
    xalanc::MemoryManager& memory = xalanc::XalanMemMgrs::getDefaultXercesMemMgr();
    xalanc::XalanSourceTreeParserLiaison liaison(memory);
    xalanc::XalanSourceTreeDocument* document = liaison.createXalanSourceTreeDocument();
    xalanc::XalanSourceTreeContentHandler handler(memory, document);
    const xalanc::AttributesImpl none(memory);
    static const XMLCh noNamespace[] = u"";
    static const XMLCh blank[] = u" ";
    handler.startDocument();
    handler.startElement(noNamespace, elementName, elementName, none);
    handler.characters(blank, 1);
    handler.endElement(noNamespace, elementName, elementName);
    handler.endDocument();
    const xalanc::XalanNode* text = document->getDocumentElement()->getFirstChild();
    return text && text->getNodeType() == xalanc::XalanNode::TEXT_NODE &&
           stylesheet.shouldStripSourceNode(static_cast<const xalanc::XalanText&>(*text));
}

} // namespace

struct XsltRun::Processor {
    xalanc::XalanTransformer transformer;
    ParserComplaints complaints;
    Discard discard;
    std::ostream warnings{&discard};
    const xalanc::XalanCompiledStylesheet* stylesheet = nullptr;
    std::map<std::u16string, bool, std::less<>> strips;

    ~Processor() {
        if (stylesheet)
            transformer.destroyStylesheet(stylesheet);
    }
    QByteArray lastError() const { return QByteArray(transformer.getLastError()); }
};

XsltRun::XsltRun(const QString& stylesheetPath) {
    xalanRuntime::ensureInitialized();
    m_processor = std::make_unique<Processor>();
    m_processor->transformer.setWarningStream(&m_processor->warnings);
    m_processor->transformer.setErrorHandler(&m_processor->complaints);
    // As a file URL: a missing file then fails with a message naming it.
    const QByteArray localPath = QUrl::fromLocalFile(stylesheetPath).toEncoded();
    if (m_processor->transformer.compileStylesheet(xalanc::XSLTInputSource(localPath.constData()),
                                                   m_processor->stylesheet) != 0)
        m_processor->stylesheet = nullptr;
}

XsltRun::~XsltRun() = default;

bool XsltRun::compiled() const {
    return m_processor->stylesheet != nullptr;
}

QByteArray XsltRun::failure() const {
    return m_processor->lastError();
}

bool XsltRun::stripsWhitespaceIn(const char16_t* elementName) {
    if (!compiled())
        return false;
    const std::u16string_view name(elementName);
    if (const auto known = m_processor->strips.find(name); known != m_processor->strips.end())
        return known->second;
    const bool strips = strippedIn(*m_processor->stylesheet->getStylesheetRoot(), elementName);
    m_processor->strips.emplace(name, strips);
    return strips;
}

QByteArray XsltRun::transform(QByteArray document) {
    if (!compiled())
        return failure();
    // The processor reads the text into a tree of its own; the text is let go before the
    // transformation runs, so the two are never held next to the tree's working memory.
    const xalanc::XalanParsedSource* parsed = nullptr;
    int status = 0;
    {
        ByteReader reader(document);
        std::istream input(&reader);
        status = m_processor->transformer.parseSource(xalanc::XSLTInputSource(&input), parsed);
    }
    document = QByteArray();
    if (status != 0)
        return failure();
    return transformed(*parsed, [&] { m_processor->transformer.destroyParsedSource(parsed); });
}

QByteArray XsltRun::transform(std::unique_ptr<xalanc::XalanParsedSource> document) {
    if (!compiled())
        return failure();
    return transformed(*document, [&] { document.reset(); });
}

bool XsltRun::writesUtf8Text() const {
    const xalanc::StylesheetRoot& root = *m_processor->stylesheet->getStylesheetRoot();
    if (root.getOutputMethod() != xalanc::FormatterListener::OUTPUT_METHOD_TEXT)
        return false;
    xalanc::XalanDOMString encoding;
    root.getOutputEncoding(encoding);
    const auto name = QStringView(encoding.c_str(), qsizetype(encoding.length()));
    // Without an encoding of its own the output is UTF-8.
    return name.isEmpty() || name.compare(u"UTF-8", Qt::CaseInsensitive) == 0;
}

QByteArray XsltRun::transformed(const xalanc::XalanParsedSource& document,
                                const std::function<void()>& release) {
    int status = 0;
    QByteArray result;
    // Text goes out as the characters were made; markup writes such characters as references.
    if (writesUtf8Text()) {
        Utf8Collector collector;
        status = m_processor->transformer.transform(document, m_processor->stylesheet,
                                                    xalanc::XSLTResultTarget(&collector));
        // The tree goes before the output is joined into one array: the two never meet.
        release();
        result = collector.joined();
    } else {
        BlockWriter writer;
        std::ostream output(&writer);
        status = m_processor->transformer.transform(document, m_processor->stylesheet,
                                                    xalanc::XSLTResultTarget(output));
        output.flush();
        release();
        result = writer.joined();
    }
    if (status != 0)
        result.append(failure());
    return result;
}

QByteArray transformXslt(QByteArray document, const QString& stylesheetPath) {
    return XsltRun(stylesheetPath).transform(std::move(document));
}
