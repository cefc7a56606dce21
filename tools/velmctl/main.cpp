// velmctl --url URL COMMAND [FILE|-] [--raw]
// Sends COMMAND with the body read from FILE (or standard input for "-"; none: an empty
// request) and prints the answer as text, or with --raw its head and bytes as received.
// velmctl --url URL report VERB ...: the report verbs (ReportVerbs.h).

#include "MailVerbs.h"
#include "MessageText.h"
#include "ReportVerbs.h"
#include "TemplateVerbs.h"
#include "VXNServiceFramework/http/HttpClient.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <cstdio>

namespace {

enum ExitCode { Ok = 0, ConnectionFailed = 1, CommunicationFailed = 2, UsageError = 64 };

int fail(int code, const QString& message) {
    QTextStream(stderr) << "velmctl: " << message << Qt::endl;
    return code;
}

bool readInput(const QString& name, QByteArray& out) {
    QFile file;
    const bool opened = name == QLatin1String("-")
                            ? file.open(stdin, QIODevice::ReadOnly)
                            : (file.setFileName(name), file.open(QIODevice::ReadOnly));
    if (!opened) {
        return false;
    }
    out = file.readAll();
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmctl"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sends one command to a service."));
    parser.addHelpOption();
    const QCommandLineOption urlOption(QStringLiteral("url"),
                                       QStringLiteral("URL of the service (host and port)."),
                                       QStringLiteral("URL"));
    const QCommandLineOption rawOption(QStringLiteral("raw"),
                                       QStringLiteral("Print the status line, headers and bytes."));
    parser.addOption(urlOption);
    parser.addOption(rawOption);
    parser.addOptions(ReportVerbs::options());
    parser.addOptions(TemplateVerbs::options());
    parser.addOptions(MailVerbs::options());
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("Command name."));
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("Request body or a fragment of it; - reads standard input."),
        QStringLiteral("[FILE|-]"));
    parser.process(app);

    const QStringList arguments = parser.positionalArguments();
    const QUrl url(parser.value(urlOption));
    const bool reportVerb = arguments.value(0) == QLatin1String("report") ||
                            arguments.value(0) == QLatin1String("template");
    if (!parser.isSet(urlOption) || !url.isValid() || url.host().isEmpty() || arguments.isEmpty() ||
        (arguments.size() > 2 && !reportVerb)) {
        return fail(UsageError,
                    QStringLiteral("usage: velmctl --url URL COMMAND [FILE|-] [--raw]\n"
                                   "       velmctl --url URL report generate|status|results|"
                                   "cancel|categories|counters ..."));
    }
    // Both kinds of use fail the same way when the service cannot be reached.
    try {
        if (arguments.value(0) == QLatin1String("template"))
            return TemplateVerbs::run(url, arguments.mid(1), parser);
        if (reportVerb && arguments.value(1) == QLatin1String("mail"))
            return MailVerbs::run(url, arguments.mid(1), parser);
        if (reportVerb) {
            return ReportVerbs::run(url, arguments.mid(1), parser);
        }
        const QString command = arguments[0];
        QByteArray input;
        if (arguments.size() == 2 && !readInput(arguments[1], input)) {
            return fail(UsageError, QStringLiteral("cannot read ") + arguments[1]);
        }
        QByteArray head;
        const QByteArray answer =
            HttpClient().send(url, command, MessageText::requestBody(command, input), head);
        if (parser.isSet(rawOption)) {
            std::fwrite(head.constData(), 1, static_cast<size_t>(head.size()), stdout);
            std::fwrite(answer.constData(), 1, static_cast<size_t>(answer.size()), stdout);
        } else {
            QTextStream(stdout) << MessageText::decode(answer) << Qt::endl;
        }
    } catch (const ConnectionError&) {
        return fail(ConnectionFailed,
                    QStringLiteral("connection to %1 failed").arg(url.toString()));
    } catch (const CommunicationError&) {
        return fail(CommunicationFailed,
                    QStringLiteral("communication with %1 failed").arg(url.toString()));
    }
    return Ok;
}
