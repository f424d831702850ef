#include "base/ModuleVersion.h"

#include <string.h>
#include <wchar.h>

#include "base/PathUtils.h"
#include "base/SystemFunction.h"

namespace {
// The version library is loaded when a version is first read (the About page, a crash dump).
constinit CSystemFunction<decltype(GetFileVersionInfoSizeW)> g_getSize;
constinit CSystemFunction<decltype(GetFileVersionInfoW)> g_getInfo;
constinit CSystemFunction<decltype(VerQueryValueW)> g_queryValue;

constexpr WORD kDefaultLanguage = 0x0409; // English (United States): the usual resource language
constexpr WORD kDefaultCodePage = 0x04E4; // Windows-1252
} // namespace

CModuleVersion::CModuleVersion() : m_fixed(), m_translation{kDefaultLanguage, kDefaultCodePage} {}

bool CModuleVersion::LoadFromFile(const wchar_t* fileName) {
    m_translation.codePage = kDefaultCodePage;
    m_fixed = VS_FIXEDFILEINFO();

    auto* getSize = g_getSize.Get(L"version.dll", "GetFileVersionInfoSizeW");
    auto* getInfo = g_getInfo.Get(L"version.dll", "GetFileVersionInfoW");
    auto* queryValue = g_queryValue.Get(L"version.dll", "VerQueryValueW");
    if (!getSize || !getInfo || !queryValue)
        return false;
    DWORD handle = 0;
    DWORD size = getSize(fileName, &handle);
    if (size == 0)
        return false;
    m_versionData.Reset(static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, size)));
    if (!m_versionData) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    if (!getInfo(fileName, 0, size, m_versionData.Get()))
        return false;

    void* value = nullptr;
    UINT length = 0;
    if (!queryValue(m_versionData.Get(), L"\\", &value, &length))
        return false;
    if (!value || length < sizeof(VS_FIXEDFILEINFO)) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    memcpy(&m_fixed, value, sizeof(VS_FIXEDFILEINFO));

    if (queryValue(m_versionData.Get(), L"\\VarFileInfo\\Translation", &value, &length) && value &&
        length >= 4) {
        const WORD* pair = static_cast<const WORD*>(value);
        m_translation.language = pair[0];
        m_translation.codePage = pair[1];
    }
    if (m_fixed.dwSignature != VS_FFI_SIGNATURE) {
        // Not a version resource after all; say so rather than leave a stale error behind.
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    return true;
}

bool CModuleVersion::LoadFromModule(const wchar_t* moduleName) {
    HMODULE module = GetModuleHandleW(moduleName);
    if (!module && moduleName)
        return false;
    wchar_t path[MAX_PATH];
    return GetModuleFullPath(module, path, MAX_PATH) && LoadFromFile(path);
}

CString CModuleVersion::QueryString(const wchar_t* key) const {
    CString result;
    if (!m_versionData)
        return result;
    CString subBlock;
    if (!subBlock.Format(L"\\StringFileInfo\\%04x%04x\\%s", m_translation.language,
                         m_translation.codePage, key))
        return result;
    void* value = nullptr;
    UINT length = 0;
    // Bound already: the data exists only after a load through it.
    auto* queryValue = g_queryValue.Get(L"version.dll", "VerQueryValueW");
    if (queryValue && queryValue(m_versionData.Get(), subBlock, &value, &length) && value) {
        // A malformed resource may leave out the terminator: never read past the value.
        const wchar_t* text = static_cast<const wchar_t*>(value);
        result.Assign(text, static_cast<int>(wcsnlen(text, length)));
    }
    return result;
}
