#pragma once

// Wall-clock times to instants are shared with the report periods, so they live in the
// framework.
#include "VXNServiceFramework/time/LocalTime.h"
