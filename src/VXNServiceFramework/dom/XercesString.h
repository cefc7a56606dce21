#pragma once

#include <QString>
#include <QStringView>
#include <xercesc/util/XercesDefs.hpp>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Xerces' XMLCh is char16_t here, the same UTF-16 code units as QString, so both directions
// are plain views or copies without transcoding.

// A NUL-terminated view of a QString for Xerces calls, valid while the string lives unchanged
// and this view lives (made in an expression, it serves that expression). QString::utf16() gives
// one too, but on a string that does not own its data (a literal, fromRawData) it reallocates the
// string in place: two threads reading one shared static name that way race. Such a string is
// copied here instead; one with its own data is always NUL-terminated and is used as it is.
class XmlText {
public:
    explicit XmlText(const QString& text)
        : m_copy(text.data_ptr().isMutable() ? QString() : QString(text.constData(), text.size())),
          m_text(reinterpret_cast<const XMLCh*>(text.data_ptr().isMutable() ? text.constData()
                                                                            : m_copy.constData())) {
    }
    XmlText(const XmlText&) = delete;
    XmlText& operator=(const XmlText&) = delete;

    operator const XMLCh*() const { return m_text; }
    const XMLCh* get() const { return m_text; }

private:
    QString m_copy;
    const XMLCh* m_text;
};

inline XmlText toXml(const QString& text) {
    return XmlText(text);
}

// A copy of a Xerces string; a null pointer reads as the empty string.
inline QString fromXml(const XMLCh* text) {
    return text ? QString::fromUtf16(text) : QString();
}

// How many characters at the start of `text` XML carries as they are, short of surrogates
// (which need their pair looked at).
inline qsizetype plainXmlPrefix(QStringView text) {
    const char16_t* units = text.utf16();
    const qsizetype size = text.size();
    qsizetype at = 0;
#ifdef __SSE2__
    // Eight at a time while all are in U+0020..U+D7FF, where nearly every text stays: c - 0x20
    // below 0xD7E0 unsigned, compared signed with the sign bit flipped.
    const __m128i offset = _mm_set1_epi16(0x20);
    const __m128i flip = _mm_set1_epi16(short(0x8000));
    const __m128i limit = _mm_set1_epi16(short(0xD7E0 ^ 0x8000));
    for (; at + 8 <= size; at += 8) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + at));
        const __m128i shifted = _mm_xor_si128(_mm_sub_epi16(chunk, offset), flip);
        if (_mm_movemask_epi8(_mm_cmplt_epi16(shifted, limit)) != 0xFFFF)
            break;
    }
#endif
    while (at < size) {
        const char16_t c = units[at];
        if ((c >= 0x20 && c < 0xD800) || (c >= 0xE000 && c < 0xFFFE) || c == 0x9 || c == 0xA ||
            c == 0xD)
            ++at;
        else
            break;
    }
    return at;
}

// True when xmlCharsOnly would leave `text` as it is, as far as a quick look tells: surrogates
// make it false, though a text with paired ones is left as it is too.
inline bool isXmlCharsOnly(QStringView text) {
    return plainXmlPrefix(text) == text.size();
}

// `text` with every character that XML 1.0 cannot carry (control characters other than tab,
// line feed and carriage return, NUL, unpaired surrogates, U+FFFE, U+FFFF) replaced by U+FFFD.
// Xerces' writer refuses a document holding such a character and stops a string at NUL, so one
// stray character would otherwise cost the whole body or silently cut a value.
inline QString xmlCharsOnly(const QString& text) {
    const auto allowed = [](char16_t c) {
        return c >= 0x20 ? c < 0xFFFE : (c == 0x9 || c == 0xA || c == 0xD);
    };
    const qsizetype size = text.size();
    // Nearly every text is clean: up to the first character that needs a closer look, the
    // text stays as it is.
    const qsizetype start = plainXmlPrefix(text);
    if (start == size)
        return text;
    QString result;
    for (qsizetype i = start; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        const bool high = QChar::isHighSurrogate(c);
        const bool paired = high && i + 1 < size && QChar::isLowSurrogate(text.at(i + 1).unicode());
        const bool ok = paired || (!high && !QChar::isLowSurrogate(c) && allowed(c));
        if (ok && result.isNull()) {
            i += paired;
            continue;
        }
        if (result.isNull())
            result = text.left(i);
        if (ok)
            result += paired ? text.mid(i, 2) : QString(QChar(c));
        else
            result += QChar(QChar::ReplacementCharacter);
        i += paired;
    }
    return result.isNull() ? text : result;
}
