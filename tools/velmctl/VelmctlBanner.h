#pragma once

#include "VerbFamily.h"

#include <vector>

// velmctl's own help: the forms of its command line, the verb families, examples that work on
// the demo of scripts/run, and what the exit status tells.
namespace VelmctlBanner {

QString text(const std::vector<VerbFamily>& families);

} // namespace VelmctlBanner
