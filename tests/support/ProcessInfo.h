// What the tests learn about other processes of the prefix: which run under a given file name,
// and the command line each was started with.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// Identifiers of the running processes whose executable file name is `exeName` (no folder;
// letter case ignored).
std::vector<DWORD> ProcessIdsNamed(const std::wstring& exeName);
// The command line of a running process, read from its own memory; empty when unreadable.
std::wstring ProcessCommandLine(DWORD pid);

} // namespace testing_support
