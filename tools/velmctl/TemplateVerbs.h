#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QUrl>

// The "template" verbs of velmctl:
//   template add (FILE | --name NAME --type T [report options] [mail and schedule options])
//   template set ID (FILE | options that change the stored template)
//   template get ID | delete ID | list
// The report is described by the options of "report generate"; --mail-to, --attach,
// --mail-subject, --mail-text and --mail-locale give the mail; --schedule Once|Periodic,
// --start, --every I_HOUR|I_DAY|I_WEEK|I_MONTH and --frequency N the schedule.
namespace TemplateVerbs {

// The options only these verbs read; velmctl adds them to its parser.
QList<QCommandLineOption> options();

// Runs the verb in `arguments` (the positional arguments after "template"); the process's exit
// code. Throws what HttpClient throws when the service cannot be reached.
int run(const QUrl& url, const QStringList& arguments, const QCommandLineParser& parser);

} // namespace TemplateVerbs
