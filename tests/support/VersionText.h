// The lines the About page should show for a file, worked out independently from the file's own
// version resource with the system's calls.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

// "Version a.b (Build c.d)[ [BETA]], 64-bit." from the file's fixed version record; empty when
// the file has none.
std::wstring ExpectedVersionLine(const std::wstring& file);

} // namespace testing_support
