#pragma once

#include <QString>

class PacketDOM;

// What the envelope of an answer says before its command's own elements are read: a response
// document, something else entirely, or the empty envelope of a service that does not handle
// the command.
namespace AnswerEnvelope {

enum class Kind {
    Response,   // a VXNResponse with its Result (or RGPCancelReport's empty answer)
    Unreadable, // no XML document, or another document than a VXNResponse
    NotHandled, // the empty envelope: no service at this address handles the command
};

struct Check {
    Kind kind = Kind::Response;
    QString problem; // for the user, when not a Response
};

// `answer` is the answer as parsed (its document is null when it was unreadable).
Check check(const QString& command, const PacketDOM& answer);

} // namespace AnswerEnvelope
