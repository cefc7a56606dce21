// velmctl: the command-line client of velm-report and its peer services. Verb families for
// people (report, schedule, ...), and the raw form for experts: velmctl --url URL COMMAND FILE.

#include "ExitCodes.h"
#include "NearNames.h"
#include "RawCommand.h"
#include "ReportVerbs.h"
#include "ScheduleVerbs.h"
#include "ServiceUrl.h"
#include "ServiceVerbs.h"
#include "Session.h"
#include "TemplateVerbs.h"
#include "VelmVersion.h"
#include "VelmctlBanner.h"

#include "VXNServiceFramework/http/HttpClient.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <QCoreApplication>
#include <vector>

namespace {

// Every verb family, in the order the banner lists them.
std::vector<VerbFamily> families() {
    return {
        ReportVerbs::family(),
        ScheduleVerbs::family(),
        ServiceVerbs::family(),
        TemplateVerbs::family(),
    };
}

// The options that hold for every form; they may stand anywhere on the line.
struct GlobalOptions {
    QString url = qEnvironmentVariable("VELMCTL_URL");
    bool xml = false;
    bool raw = false;
    QStringList words; // everything else, in order
};

std::optional<GlobalOptions> globalOptions(const QStringList& arguments) {
    GlobalOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (word == QLatin1String("--url")) {
            if (++i == arguments.size()) {
                Session::err() << "velmctl: --url needs a URL" << Qt::endl;
                return std::nullopt;
            }
            options.url = arguments[i];
        } else if (word.startsWith(QLatin1String("--url="))) {
            options.url = word.mid(6);
        } else if (word == QLatin1String("--xml")) {
            options.xml = true;
        } else if (word == QLatin1String("--raw")) {
            options.raw = true;
        } else {
            options.words.append(word);
        }
    }
    return options;
}

bool asksForHelp(const QStringList& words) {
    return words.isEmpty() || words.contains(QLatin1String("--help")) ||
           words.contains(QLatin1String("-h")) || words[0] == QLatin1String("help");
}

const VerbFamily* familyNamed(const std::vector<VerbFamily>& all, const QString& name) {
    for (const VerbFamily& family : all)
        if (family.name == name)
            return &family;
    return nullptr;
}

// Command names begin with a capital (RGPGetReportStatus, SchRegister); a first word in lower
// case was meant as a family.
bool meantAsFamily(const QString& word) {
    return !word.isEmpty() && word[0].isLower();
}

int unknownFamily(const std::vector<VerbFamily>& all, const QString& word) {
    QStringList names;
    for (const VerbFamily& family : all)
        names.append(family.name);
    const QStringList near = NearNames::closest(word, names);
    Session::err() << "velmctl: unknown command family \"" << word << "\""
                   << (near.isEmpty() ? QStringLiteral("; the families are ") +
                                            names.join(QStringLiteral(", "))
                                      : NearNames::didYouMean(near))
                   << " (see velmctl --help)" << Qt::endl;
    return ExitCode::UsageError;
}

// Both forms fail the same way when the service cannot be reached.
template <class Run> int reachingService(const QUrl& url, Run run) {
    try {
        return run();
    } catch (const ConnectionError& e) {
        Session::err() << "velmctl: " << ServiceUrl::connectionFailure(url, e.reason()) << Qt::endl;
        return ExitCode::ConnectionFailed;
    } catch (const CommunicationError&) {
        Session::err() << "velmctl: communication with " << url.toString()
                       << " failed: the answer did not arrive complete" << Qt::endl;
        return ExitCode::CommunicationFailed;
    } catch (const WrongPacketFormat& e) {
        Session::err() << "velmctl: the answer of " << url.toString() << " could not be read: "
                       << (e.message().isEmpty() ? QString::fromLatin1(e.what()) : e.message())
                       << Qt::endl;
        return ExitCode::CommunicationFailed;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmctl"));
    const auto all = families();

    const auto options = globalOptions(QCoreApplication::arguments().mid(1));
    if (!options)
        return ExitCode::UsageError;
    const QStringList& words = options->words;
    if (words.value(0) == QLatin1String("--version")) {
        QTextStream(stdout) << "velmctl " << velmVersion << Qt::endl;
        return ExitCode::Ok;
    }
    const VerbFamily* family = familyNamed(all, words.value(0));
    if (!family && words.value(0) == QLatin1String("help") && words.size() > 1) {
        family = familyNamed(all, words[1]);
        if (!family)
            return unknownFamily(all, words[1]);
    }
    if (!family && !asksForHelp(words) && meantAsFamily(words[0]))
        return unknownFamily(all, words[0]);
    if (asksForHelp(words) || (family && words.size() == 1)) {
        QTextStream(stdout) << (family ? family->help : VelmctlBanner::text(all)) << Qt::flush;
        return ExitCode::Ok;
    }
    if (!family && words[0].startsWith(QLatin1Char('-'))) {
        Session::err() << "velmctl: unknown option " << words[0] << " (see velmctl --help)"
                       << Qt::endl;
        return ExitCode::UsageError;
    }
    if (options->url.isEmpty()) {
        Session::err() << "velmctl: which service? Give --url http://HOST:PORT/ (scripts/run "
                          "prints it) or set VELMCTL_URL"
                       << Qt::endl;
        return ExitCode::UsageError;
    }
    const auto url = ServiceUrl::fromText(options->url);
    if (!url)
        return ExitCode::UsageError;
    if (!family)
        return reachingService(*url, [&] { return RawCommand::run(*url, words, options->raw); });
    Session session(*url, options->xml);
    return reachingService(*url, [&] { return family->run(session, words.mid(1)); });
}
