// corvanectl's "dumps" command: Windows Error Reporting's local dumps through the same core unit
// as the Crash Dumps page.
#pragma once

#include "base/String.h"
#include "console/Arguments.h"

int RunDumps(CArguments& args);
// The local dumps as one JSON value, for "show --json".
CString LocalDumpsJson();
