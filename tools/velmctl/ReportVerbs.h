#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QUrl>

// The "report" verbs of velmctl:
//   report generate (--type T [--period P] [--device ID]... | --definition FILE) [--wait]
//   report status ID | results ID | cancel ID | categories | counters DEVICE
//   report export ID --format HTML|CSV|XML [--locale LOCALE]
namespace ReportVerbs {

// The options the verbs read; velmctl adds them to its parser.
QList<QCommandLineOption> options();

// Runs the verb in `arguments` (the positional arguments after "report"); the process's exit
// code. Throws what HttpClient throws when the service cannot be reached.
int run(const QUrl& url, const QStringList& arguments, const QCommandLineParser& parser);

} // namespace ReportVerbs
