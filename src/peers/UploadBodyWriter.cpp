#include "peers/UploadBodyWriter.h"

#include "peers/CmdWebUploadTemporaryFileRequest.h"
#include "peers/QueryXmlWriter.h"

#include "VXNServiceFramework/packets/PacketDOM.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <QtEndian>
#include <cstring>

namespace peers::uploadbody {
namespace {

// Input bytes encoded per step: a multiple of 3, so no step but the last has padding.
constexpr qsizetype stepBytes = 3 * 16 * 1024;

qsizetype base64Size(qsizetype bytes) {
    return 4 * ((bytes + 2) / 3);
}

// The text around the base64 data, as the DOM writer writes it (also for an empty file).
struct Frame {
    QString head;
    QString tail;
};

Frame frameFor(const QString& fileName, QLatin1StringView encoding) {
    Frame frame;
    frame.head = QStringLiteral("<?xml version=\"1.0\" encoding=\"") + encoding +
                 QStringLiteral("\" standalone=\"no\" ?><VXNRequest command=\"") +
                 CmdWebUploadTemporaryFileRequest::commandName +
                 QStringLiteral("\"><Data filename=\"");
    queryxml::appendEscaped(frame.head, fileName, true);
    frame.head += QStringLiteral("\">");
    frame.tail = QStringLiteral("</Data></VXNRequest>");
    return frame;
}

// Appends code units to a body of fixed size, as UTF-16LE or as UTF-8.
class BodyFiller {
public:
    BodyFiller(QByteArray& body, bool wide) : m_out(body.data()), m_wide(wide) {}

    void text(const QString& text) {
        if (m_wide) {
            qToLittleEndian<quint16>(text.utf16(), text.size(), m_out);
            m_out += 2 * text.size();
        } else {
            ascii(text.toUtf8());
        }
    }
    // `bytes` are ASCII.
    void ascii(QByteArrayView bytes) {
        if (!m_wide) {
            std::memcpy(m_out, bytes.data(), size_t(bytes.size()));
            m_out += bytes.size();
            return;
        }
        for (const char c : bytes) {
            *m_out++ = c;
            *m_out++ = '\0';
        }
    }
    char* position() const { return m_out; }

private:
    char* m_out;
    bool m_wide;
};

QByteArray filled(const Frame& frame, const QByteArray& data, qsizetype size, bool wide) {
    QByteArray body(size, Qt::Uninitialized);
    BodyFiller filler(body, wide);
    filler.text(frame.head);
    for (qsizetype from = 0; from < data.size(); from += stepBytes)
        filler.ascii(data.sliced(from, std::min(stepBytes, data.size() - from)).toBase64());
    filler.text(frame.tail);
    Q_ASSERT(filler.position() == body.constData() + body.size());
    return body;
}

} // namespace

qsizetype maxBodyBytes() {
    return PacketDOM::maxBodySize;
}

QByteArray write(const QString& fileName, const QByteArray& data) {
    if (!queryxml::isXmlText(fileName))
        throw WrongPacketFormat(QStringLiteral("The file name holds a character XML cannot carry"));
    const qsizetype encoded = base64Size(data.size());
    const Frame wide = frameFor(fileName, QLatin1StringView("UTF-16"));
    const qsizetype wideSize = 2 * (wide.head.size() + encoded + wide.tail.size());
    if (wideSize <= maxBodyBytes())
        return filled(wide, data, wideSize, true);

    const Frame narrow = frameFor(fileName, QLatin1StringView("UTF-8"));
    const qsizetype narrowSize = narrow.head.toUtf8().size() + encoded + narrow.tail.size();
    if (narrowSize > maxBodyBytes())
        throw WrongPacketFormat(
            QStringLiteral("The file of %1 bytes is too large for one upload (its request "
                           "would take %2 bytes; at most %3)")
                .arg(data.size())
                .arg(narrowSize)
                .arg(maxBodyBytes()));
    return filled(narrow, data, narrowSize, false);
}

} // namespace peers::uploadbody
