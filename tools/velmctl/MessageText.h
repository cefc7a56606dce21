#pragma once

#include <QByteArray>
#include <QString>

// Bodies as users give them and as services answer them: UTF-8 or UTF-16 (either byte
// order, with or without byte-order mark).
namespace MessageText {

// The text of a body in whichever of those encodings it is.
QString decode(const QByteArray& bytes);

// The text of an answer as velmctl prints it, in UTF-8: an XML declaration that names another
// encoding (the services answer in UTF-16) is made to name UTF-8, so that XML tools read it.
QString asUtf8Document(const QByteArray& answer);

// The request body for `command`: a whole document (an XML declaration or a VXNRequest root)
// goes out as given; anything else is a fragment of parameters, wrapped as
// <VXNRequest command="COMMAND">...</VXNRequest> in UTF-8.
QByteArray requestBody(const QString& command, const QByteArray& input);

} // namespace MessageText
