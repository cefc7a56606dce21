#pragma once

#include "VerbFamily.h"

// The "service" verbs: the process's version and its shutdown.
namespace ServiceVerbs {

VerbFamily family();

} // namespace ServiceVerbs
