#pragma once

#include "VerbFamily.h"

// The "template" verbs: add, set, get, delete and list report templates. A template's report
// is described by the options of "report generate", its mail by --mail-to, --attach,
// --mail-subject, --mail-text and --mail-locale, its schedule by --schedule Once|Periodic,
// --start, --every I_HOUR|I_DAY|I_WEEK|I_MONTH and --frequency N.
namespace TemplateVerbs {

VerbFamily family();

} // namespace TemplateVerbs
