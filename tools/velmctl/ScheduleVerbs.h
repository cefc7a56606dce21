#pragma once

#include "VerbFamily.h"

// The "schedule" verbs: add, list and remove items of the scheduler.
namespace ScheduleVerbs {

VerbFamily family();

} // namespace ScheduleVerbs
