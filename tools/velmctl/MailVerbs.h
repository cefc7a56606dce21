#pragma once

#include "Session.h"

#include <QStringList>

// velmctl report mail ID --to ADDRESS [--to ...] [--format CSV --format HTML ...]
//                        [--subject TEXT] [--text TEXT] [--locale de]
// Mails a finished report with the files exported in the formats; the report generator reads
// the mail server's settings from device management.
namespace MailVerbs {

// `arguments` are those after "report mail"; the process's exit code (ExitCodes.h).
int run(Session& session, const QStringList& arguments);

} // namespace MailVerbs
