#pragma once

#include <QByteArray>
#include <QString>

// Writes the body of "WEBUploadTemporaryFile" straight from the file's bytes: the base64 text
// is streamed into the body without a DOM node or a UTF-16 string of it, so a file costs its
// body once and nothing more.
namespace peers::uploadbody {

// The largest body a peer takes (its HTTP and parser limit).
qsizetype maxBodyBytes();

// The request body for `fileName` and `data`: the UTF-16LE text the DOM writer produces for
// it, byte for byte. A file whose UTF-16 body would pass maxBodyBytes() is written as the same
// XML in UTF-8 (the base64 text is ASCII, so it takes half the bytes), declared as such.
// Throws WrongPacketFormat when the name holds a character XML cannot carry or when even the
// UTF-8 body would pass maxBodyBytes(): such a request is never sent.
QByteArray write(const QString& fileName, const QByteArray& data);

} // namespace peers::uploadbody
