#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QUrl>

// velmctl report mail ID --to ADDRESS [--to ...] [--format CSV --format HTML ...]
//                        [--subject TEXT] [--text TEXT] [--locale de]
// Mails a finished report with the files exported in the formats; the report generator reads
// the mail server's settings from device management.
namespace MailVerbs {

// The options of its own; --to, --format and --locale are shared with the other report verbs
// (here --to and --format are repeatable).
QList<QCommandLineOption> options();

// `arguments` are those after "report" ("mail", ID); the process's exit code.
int run(const QUrl& url, const QStringList& arguments, const QCommandLineParser& parser);

} // namespace MailVerbs
