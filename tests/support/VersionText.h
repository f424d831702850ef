// Writes version resources into copies of the tests' programs, for the version reader, the
// About page and the crash-dump name to read back.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

struct VersionFields {
    WORD major, minor, build, revision;
    DWORD flags;             // VS_FF_PRERELEASE or 0
    std::wstring copyright;  // LegalCopyright; a "Comments" value follows it directly
    bool translation = true; // without one the strings are in the 040904e4 table
    bool terminated = true;
};

// Replaces the file's version resource (English, United States) with the given fields. Wine cannot
// remove one: null writes a record with no valid signature, which readers must refuse.
bool WriteVersionResource(const std::wstring& file, const VersionFields* fields);

} // namespace testing_support
