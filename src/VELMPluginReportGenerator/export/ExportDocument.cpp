#include "VELMPluginReportGenerator/export/ExportDocument.h"

#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/dom/DomWriter.h"

namespace {

const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\n"
                        "<VXNResponse>\n";
const QByteArray tail = "</VXNResponse>\n";

} // namespace

std::array<const dom::Element*, 2> exportDocumentParts(const dom::Element* reportRoot) {
    return {dom::firstChild(reportRoot, QStringLiteral("Info")),
            dom::firstChild(reportRoot, QStringLiteral("Body"))};
}

QByteArray exportDocumentText(const dom::Element* reportRoot) {
    // Each part is written straight from the report's own tree: a copy of a Body of many
    // thousand rows would take as much memory again as the report itself.
    QByteArray text = head;
    for (const dom::Element* element : exportDocumentParts(reportRoot))
        if (element) {
            const QByteArray written = dom::toUtf8(element, dom::Layout::Pretty);
            // The writer starts an element of its own on a new line; the head ends one.
            const QByteArrayView own =
                QByteArrayView(written).sliced(written.startsWith('\n') ? 1 : 0);
            text.reserve(text.size() + own.size() + 1 + tail.size());
            text += own;
            text += '\n';
        }
    text += tail; // appended in place: a copy of the whole text would double it for a moment
    return text;
}
