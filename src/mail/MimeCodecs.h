#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>

// Byte-level encodings of the message composer: everything here works on 8-bit texts (one
// character per byte, e.g. the bytes of a UTF-8 string) and returns what goes on the wire.
namespace MimeCodecs {

// Longest encoded line of a quoted-printable or base64 body, not counting CR LF (RFC 2045).
inline constexpr qsizetype kMaxEncodedLine = 76;

// Quoted-printable (RFC 2045 6.7). Bytes 33-60, 62-126, space, tab, CR and LF stay; the rest
// becomes "=XX". CR and LF end a line and stay in it; longer lines get soft breaks ("=" CR LF)
// so that no line, the "=" included, exceeds 76 characters and no "=XX" is cut.
QByteArray EncodeQuotedPrintable(QByteArrayView text);

// Doubles the "." that starts a line of the DATA stream (RFC 5321 4.5.2). A body always starts
// on a fresh line of that stream, so a leading "." is doubled as well.
QByteArray DotStuff(QByteArrayView text);

// Base64 in lines of 76 characters, each line (the last one too) ending with CR LF.
QByteArray Base64Lines(QByteArrayView data);

// Unstructured header text (Subject): unchanged when it is plain ASCII; otherwise all of it as
// RFC 2047 words "=?charset?q?...?=" of at most 75 characters (and 70 bytes of text) each,
// separated by one blank, which readers drop between encoded words.
QByteArray EncodeWords(QByteArrayView text, QByteArrayView charset);

// A display name for an address header. Plain ASCII: the name itself (quoted when it holds a
// special such as ","). Otherwise its plain words as they are and each run of other words as
// RFC 2047 words restricted to the characters a phrase allows.
QByteArray EncodePhrase(QByteArrayView name, QByteArrayView charset);

// RFC 5322 date-time of the given local time with its own zone offset, English names always:
// "Tue, 03 Mar 2026 14:05:09 +0530".
QByteArray FormatDate(const QDateTime& localTime);

// True when the text holds a CR or LF, which would end a header line or a command early.
bool ContainsLineBreak(QByteArrayView text);

} // namespace MimeCodecs
