#include "VersionText.h"

#include <vector>

namespace testing_support {

std::wstring ExpectedVersionLine(const std::wstring& file) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0)
        return L"";
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data()))
        return L"";
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return L"";
    std::wstring line = L"Version " + std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                        std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L" (Build " +
                        std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
                        std::to_wstring(LOWORD(fixed->dwFileVersionLS)) + L")";
    if (fixed->dwFileFlags & VS_FF_PRERELEASE)
        line += L" [BETA]";
    return line + L", 64-bit.";
}

} // namespace testing_support
