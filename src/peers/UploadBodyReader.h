#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reads the body of "WEBUploadTemporaryFile" without building a document: a DOM of it would
// hold the base64 text as UTF-16 and copy it again for reading, several times the file.
namespace peers::uploadbody {

struct Fields {
    QString fileName;
    QByteArray data;
};

// The fields of a body in the plain form that writers produce: an optional declaration, the
// "VXNRequest" root holding one "Data" element, whose text is base64 and blanks, and nothing
// else; in UTF-8 (declared so or undeclared) or in UTF-16LE without byte-order mark (declared
// "UTF-16"). None for any other body, well-formed or not (comments, entity references in the
// name, other elements, other encodings ...): the DOM reader then reads it, with the same
// outcome this reading would have had.
std::optional<Fields> readPlain(const QByteArray& body);

} // namespace peers::uploadbody
