#include "RawCommand.h"

#include "AnswerEnvelope.h"
#include "ExitCodes.h"
#include "MessageText.h"
#include "Session.h"
#include "VerbArguments.h"

#include "VXNServiceFramework/http/HttpClient.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"

#include <cstdio>

namespace RawCommand {

namespace {

// The exit code the answer stands for; what is wrong with it goes to standard error (the
// answer itself is printed as it is in any case).
int outcomeOf(const QString& command, const QByteArray& answer) {
    ResponsePacket packet;
    packet.parse(answer);
    const AnswerEnvelope::Check envelope = AnswerEnvelope::check(command, packet);
    switch (envelope.kind) {
    case AnswerEnvelope::Kind::Unreadable:
        Session::err() << "velmctl: " << envelope.problem << Qt::endl;
        return ExitCode::CommunicationFailed;
    case AnswerEnvelope::Kind::NotHandled:
        Session::err() << "velmctl: " << envelope.problem << Qt::endl;
        return ExitCode::ServiceRefused;
    case AnswerEnvelope::Kind::Response:
        break;
    }
    return Session::accepted(packet) ? ExitCode::Ok : ExitCode::ServiceRefused;
}

} // namespace

int run(const QUrl& url, const QStringList& arguments, bool raw) {
    if (arguments.size() > 2) {
        Session::err() << "velmctl: usage: velmctl --url URL COMMAND [FILE|-] [--raw]" << Qt::endl;
        return ExitCode::UsageError;
    }
    const QString command = arguments[0];
    QByteArray input;
    if (arguments.size() == 2) {
        const auto read = VerbArguments::fileOrStandardInput(arguments[1]);
        if (!read)
            return ExitCode::UsageError;
        input = *read;
    }
    QByteArray head;
    const QByteArray answer =
        HttpClient().send(url, command, MessageText::requestBody(command, input), head);
    if (raw) {
        std::fwrite(head.constData(), 1, static_cast<size_t>(head.size()), stdout);
        std::fwrite(answer.constData(), 1, static_cast<size_t>(answer.size()), stdout);
    } else {
        std::fputs(MessageText::asUtf8Document(answer).toUtf8().constData(), stdout);
        std::fputc('\n', stdout);
    }
    return outcomeOf(command, answer);
}

} // namespace RawCommand
