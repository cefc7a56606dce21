#include "VXNServiceFramework/dom/DomWriter.h"

#include "VXNServiceFramework/dom/PlainXmlWriter.h"
#include "VXNServiceFramework/dom/XercesRuntime.h"
#include "VXNServiceFramework/dom/XercesString.h"

#include <QSaveFile>
#include <QtEndian>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufFormatTarget.hpp>
#include <xercesc/util/XMLString.hpp>

XERCES_CPP_NAMESPACE_USE

namespace dom {
namespace {

struct SerializerRelease {
    void operator()(DOMLSSerializer* writer) const { writer->release(); }
};
struct OutputRelease {
    void operator()(DOMLSOutput* output) const { output->release(); }
};

DOMImplementation* coreImplementation() {
    xercesRuntime::ensureInitialized();
    static const XMLCh core[] = u"Core";
    return DOMImplementationRegistry::getDOMImplementation(core);
}

std::unique_ptr<DOMLSSerializer, SerializerRelease> makeSerializer() {
    return std::unique_ptr<DOMLSSerializer, SerializerRelease>(
        coreImplementation()->createLSSerializer());
}

// Runs one write, turning the DOM's own failures into WriteError.
template <class F> auto guarded(F&& write) {
    try {
        return write();
    } catch (const DOMException& e) {
        throw WriteError(fromXml(e.getMessage()).toStdString());
    } catch (const XMLException& e) {
        throw WriteError(fromXml(e.getMessage()).toStdString());
    }
}

const DOMNode* checked(NodeRef node) {
    if (!node)
        throw WriteError("No node to write");
    return node.node();
}

} // namespace

QString toXmlString(NodeRef node) {
    const DOMNode* source = checked(node);
    if (QString text; plainxml::append(text, source))
        return text;
    auto writer = makeSerializer();
    MemoryManager* memory = XMLPlatformUtils::fgMemoryManager;
    XMLCh* text = guarded([&] { return writer->writeToString(source, memory); });
    if (!text)
        throw WriteError("The DOM writer could not write the document");
    QString result = fromXml(text);
    memory->deallocate(text);
    return result;
}

QByteArray toUtf16(NodeRef node) {
    const QString text = toXmlString(node);
    return utf16Bytes({text});
}

QByteArray utf16Bytes(std::initializer_list<QStringView> pieces) {
    qsizetype size = 0;
    for (QStringView piece : pieces)
        size += piece.size();
    QByteArray bytes(size * 2, Qt::Uninitialized);
    char* at = bytes.data();
    for (QStringView piece : pieces) {
        qToLittleEndian<quint16>(piece.utf16(), piece.size(), at);
        at += piece.size() * 2;
    }
    return bytes;
}

QByteArray toUtf8(NodeRef node, Layout layout) {
    const DOMNode* source = checked(node);
    auto writer = makeSerializer();
    DOMConfiguration* config = writer->getDomConfig();
    if (layout == Layout::Pretty &&
        config->canSetParameter(XMLUni::fgDOMWRTFormatPrettyPrint, true)) {
        config->setParameter(XMLUni::fgDOMWRTFormatPrettyPrint, true);
        // Xerces' own variant puts a blank line between the children of an element written
        // on its own; the plain one does not.
        if (config->canSetParameter(XMLUni::fgDOMWRTXercesPrettyPrint, false))
            config->setParameter(XMLUni::fgDOMWRTXercesPrettyPrint, false);
    }
    MemBufFormatTarget target;
    std::unique_ptr<DOMLSOutput, OutputRelease> output(coreImplementation()->createLSOutput());
    output->setEncoding(u"UTF-8");
    output->setByteStream(&target);
    if (!guarded([&] { return writer->write(source, output.get()); }))
        throw WriteError("The DOM writer could not write the document");
    return QByteArray(reinterpret_cast<const char*>(target.getRawBuffer()),
                      qsizetype(target.getLen()));
}

QString writeFile(NodeRef node, const QString& path, Layout layout) {
    QByteArray bytes;
    try {
        bytes = toUtf8(node, layout);
    } catch (const WriteError& e) {
        return QString::fromStdString(e.what());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
    return {};
}

} // namespace dom
