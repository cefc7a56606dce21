#include "peers/QueryXmlReader.h"

#include "peers/QueryXmlCollector.h"
#include "peers/QueryXmlScanner.h"

#include "VXNServiceFramework/packets/PacketDOM.h"

#include <QSysInfo>
#include <QXmlStreamReader>
#include <QtEndian>
#include <optional>

namespace peers::queryxml {
namespace {

ParsedBody readFully(const QByteArray& body, const QString* decoded) {
    ParsedBody parsed;
    Collector collector(parsed);
    QXmlStreamReader reader;
    if (decoded)
        reader.addData(*decoded);
    else
        reader.addData(body);
    reader.setEntityExpansionLimit(int(PacketDOM::entityExpansionLimit));
    // Like the DOM reader: names are taken as they are, prefixes included.
    reader.setNamespaceProcessing(false);
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            collector.start(reader.name());
            for (const QXmlStreamAttribute& attribute : reader.attributes())
                collector.attribute(attribute.qualifiedName(), attribute.value());
            collector.attributesDone();
            break;
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            collector.characters(reader.text());
            break;
        case QXmlStreamReader::EndElement:
            collector.end();
            break;
        default:
            break;
        }
    }
    if (reader.hasError()) {
        ParsedBody failed;
        failed.error = QStringLiteral("%1 (line %2, column %3)")
                           .arg(reader.errorString())
                           .arg(reader.lineNumber())
                           .arg(reader.columnNumber());
        return failed;
    }
    collector.finish();
    return parsed;
}

} // namespace

static QString decode(const QByteArray& body, bool little) {
    QString decoded(body.size() / 2, Qt::Uninitialized);
    if (little)
        qFromLittleEndian<quint16>(body.constData(), decoded.size(), decoded.data());
    else
        qFromBigEndian<quint16>(body.constData(), decoded.size(), decoded.data());
    return decoded;
}

// With the fast scanner first when `fast` is set.
static ParsedBody read(const QByteArray& body, const std::optional<ScanSplit>& fast) {
    if (body.size() > PacketDOM::maxBodySize) {
        ParsedBody parsed;
        parsed.error = QStringLiteral("Body of %1 bytes exceeds the limit of %2 bytes")
                           .arg(body.size())
                           .arg(PacketDOM::maxBodySize);
        return parsed;
    }
    // UTF-16 without byte-order mark is decoded here; the full reader then takes the text as
    // it is (it would otherwise guess the encoding from the declaration).
    if (!body.startsWith(QByteArrayView("<\0", 2)) && !body.startsWith(QByteArrayView("\0<", 2)))
        return readFully(body, nullptr);
    const bool little = body.at(0) == '<';
    ParsedBody parsed;
    if (fast && body.size() % 2 == 0) {
        // On a little-endian host an aligned body is scanned in place, without a copy.
        QString copy;
        QStringView text;
        if (little && QSysInfo::ByteOrder == QSysInfo::LittleEndian &&
            reinterpret_cast<quintptr>(body.constData()) % alignof(char16_t) == 0) {
            text =
                QStringView(reinterpret_cast<const char16_t*>(body.constData()), body.size() / 2);
        } else {
            copy = decode(body, little);
            text = copy;
        }
        Collector collector(parsed);
        // Helpers that outlive the scan keep the text alive; a body over storage of someone
        // else's (raw data) is read on this thread only.
        std::any owner;
        if (!copy.isNull())
            owner = copy;
        else if (QByteArray kept = body; kept.data_ptr().isMutable())
            owner = std::move(kept);
        if (scanPlainXml(text, collector, *fast, owner)) {
            collector.finish();
            return parsed;
        }
    }
    const QString decoded = decode(body, little);
    return readFully(body, &decoded);
}

ParsedBody parseBody(const QByteArray& body) {
    return parseBody(body, true);
}

ParsedBody parseBody(const QByteArray& body, bool fast) {
    return fast ? read(body, ScanSplit::automatic()) : read(body, std::nullopt);
}

ParsedBody parseBody(const QByteArray& body, const ScanSplit& split) {
    return read(body, split);
}

ParsedBody parseBodyFully(const QByteArray& body) {
    return parseBody(body, false);
}

} // namespace peers::queryxml
