#include "MessageText.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace MessageText {

namespace {

QStringConverter::Encoding encodingOf(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE")) {
        return QStringConverter::Utf16LE;
    }
    if (bytes.startsWith("\xFE\xFF")) {
        return QStringConverter::Utf16BE;
    }
    // XML starts with an ASCII character; in UTF-16 its other byte is zero.
    if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0') {
        return QStringConverter::Utf16LE;
    }
    if (bytes.size() >= 2 && bytes[0] == '\0' && bytes[1] != '\0') {
        return QStringConverter::Utf16BE;
    }
    return QStringConverter::Utf8;
}

QString xmlEscapedAttribute(const QString& value) {
    return value.toHtmlEscaped();
}

} // namespace

QString decode(const QByteArray& bytes) {
    QStringDecoder decoder(encodingOf(bytes), QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes); // a byte-order mark is dropped by the decoder
}

QString asUtf8Document(const QByteArray& answer) {
    static const QRegularExpression encoding(
        QStringLiteral("^(\\s*<\\?xml\\s[^>]*?\\bencoding\\s*=\\s*)(\"[^\"]*\"|'[^']*')"));
    QString document = decode(answer);
    return document.replace(encoding, QStringLiteral("\\1\"UTF-8\""));
}

QByteArray requestBody(const QString& command, const QByteArray& input) {
    const QString text = decode(input);
    const QString start = text.trimmed();
    if (start.startsWith(QLatin1String("<?xml")) ||
        start.startsWith(QLatin1String("<VXNRequest"))) {
        return input;
    }
    const QString wrapped = QStringLiteral("<VXNRequest command=\"") +
                            xmlEscapedAttribute(command) + QStringLiteral("\">") + start +
                            QStringLiteral("</VXNRequest>");
    return wrapped.toUtf8();
}

} // namespace MessageText
