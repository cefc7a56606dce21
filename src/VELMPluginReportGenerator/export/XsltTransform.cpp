#include "VELMPluginReportGenerator/export/XsltTransform.h"

#include "VELMPluginReportGenerator/export/XalanRuntime.h"

#include <QUrl>
#include <istream>
#include <ostream>
#include <streambuf>
#include <xalanc/XalanTransformer/XalanTransformer.hpp>

namespace {

// Reads a byte array in place; the transformation's input is never copied.
class ByteReader : public std::streambuf {
public:
    explicit ByteReader(const QByteArray& bytes) {
        char* begin = const_cast<char*>(bytes.constData()); // only ever read
        setg(begin, begin, begin + bytes.size());
    }
};

// Appends what is written to a byte array.
class ByteWriter : public std::streambuf {
public:
    explicit ByteWriter(QByteArray& bytes) : m_bytes(bytes) {}

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof()))
            m_bytes.append(traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* data, std::streamsize count) override {
        m_bytes.append(data, qsizetype(count));
        return count;
    }

private:
    QByteArray& m_bytes;
};

// Where the processor's warnings and messages go: nowhere.
class Discard : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

} // namespace

QByteArray transformXslt(QByteArray document, const QString& stylesheetPath) {
    xalanRuntime::ensureInitialized();
    QByteArray result;
    ByteWriter writer(result);
    std::ostream output(&writer);
    Discard discard;
    std::ostream warnings(&discard);

    xalanc::XalanTransformer transformer;
    transformer.setWarningStream(&warnings);
    // The processor reads the text into a tree of its own; the text is let go before the
    // transformation runs, so the two are never held next to the tree's working memory.
    const xalanc::XalanParsedSource* parsed = nullptr;
    int status = 0;
    {
        ByteReader reader(document);
        std::istream input(&reader);
        status = transformer.parseSource(xalanc::XSLTInputSource(&input), parsed);
    }
    document = QByteArray();
    if (status == 0) {
        // As a file URL: a missing file then fails with a message naming it.
        const QByteArray localPath = QUrl::fromLocalFile(stylesheetPath).toEncoded();
        const xalanc::XSLTInputSource stylesheet(localPath.constData());
        const xalanc::XSLTResultTarget target(output);
        status = transformer.transform(*parsed, stylesheet, target);
        transformer.destroyParsedSource(parsed);
    }
    output.flush();
    if (status != 0)
        result.append(transformer.getLastError());
    result.squeeze(); // the file is kept until uploaded: no spare room with it
    return result;
}
