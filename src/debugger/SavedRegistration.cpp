#include "debugger/SavedRegistration.h"

#include "base/Error.h"
#include "base/RegistryKey.h"
#include "debugger/AeDebug.h"

const wchar_t kSavedRegistrationSubKey[] = L"Software\\Corvane\\Saved";

namespace {
const wchar_t kProgramSubKey[] = L"Software\\Corvane";
// Which of the two values the saved registration had, written after them: a copy without it,
// or with values that disagree with it, was cut short or changed by hand and is not restored.
const wchar_t kValuesValue[] = L"Values";
constexpr DWORD kHasDebugger = 0x1;
constexpr DWORD kHasAuto = 0x2;
constexpr int kMaxViews = 2;

// The two values of a registration exactly as stored.
struct StoredRegistration {
    CRegistryValue debugger;
    CRegistryValue autoStart;

    bool Read(CRegistryKey& key) {
        return Win32Succeeded(debugger.Read(key, kDebuggerValue)) &&
               Win32Succeeded(autoStart.Read(key, kAutoValue));
    }
    bool Write(CRegistryKey& key) const {
        return Win32Succeeded(debugger.Write(key, kDebuggerValue)) &&
               Win32Succeeded(autoStart.Write(key, kAutoValue));
    }
    DWORD Present() const {
        return (debugger.IsPresent() ? kHasDebugger : 0) | (autoStart.IsPresent() ? kHasAuto : 0);
    }
};

// ERROR_INVALID_DATA for a copy that is not whole.
bool ReadSavedCopy(REGSAM view, StoredRegistration& copy) {
    CRegistryKey key;
    if (!Win32Succeeded(key.Open(HKEY_LOCAL_MACHINE, kSavedRegistrationSubKey, KEY_READ | view)))
        return false;
    DWORD type = REG_NONE;
    DWORD present = 0;
    DWORD size = sizeof(present);
    LONG error = key.ReadValue(kValuesValue, type, reinterpret_cast<BYTE*>(&present), size);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_MORE_DATA)
        error = ERROR_INVALID_DATA;
    if (!Win32Succeeded(error) || !copy.Read(key))
        return false;
    if (type != REG_DWORD || size != sizeof(present) || present != copy.Present()) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    return true;
}

// The values first and the mark of a whole copy last; a copy cut short is taken away again.
bool WriteSavedCopy(REGSAM view, const StoredRegistration& copy) {
    CRegistryKey key;
    bool created = false;
    if (!Win32Succeeded(key.Create(HKEY_LOCAL_MACHINE, kSavedRegistrationSubKey,
                                   KEY_READ | KEY_WRITE | view, created)))
        return false;
    const DWORD present = copy.Present();
    if (copy.Write(key) && Win32Succeeded(key.WriteDword(kValuesValue, present)))
        return true;
    if (created)
        CRegistryKey::DeleteKey(HKEY_LOCAL_MACHINE, kSavedRegistrationSubKey, view);
    return false;
}

bool DeleteSavedCopy(REGSAM view) {
    if (!Win32Succeeded(
            CRegistryKey::DeleteKey(HKEY_LOCAL_MACHINE, kSavedRegistrationSubKey, view)))
        return false;
    // The program's own key goes with its last sub-key; one that still holds others stays.
    CRegistryKey::DeleteKey(HKEY_LOCAL_MACHINE, kProgramSubKey, view);
    return true;
}

// A view's registration and saved copy as they were before a change, to put back after a
// failure.
class CViewState {
public:
    // The saved copy itself is read (and must be whole) only when readSaved is set.
    bool Capture(REGSAM view, bool readSaved) {
        m_view = view;
        CRegistryKey key;
        if (!Win32Succeeded(key.Open(HKEY_LOCAL_MACHINE, kAeDebugSubKey, KEY_READ | view)) ||
            !m_aeDebug.Read(key))
            return false;
        CRegistryKey saved;
        LONG error = saved.Open(HKEY_LOCAL_MACHINE, kSavedRegistrationSubKey, KEY_READ | view);
        m_hasSaved = error == ERROR_SUCCESS;
        if (!m_hasSaved && error != ERROR_FILE_NOT_FOUND)
            return Win32Succeeded(error);
        if (!readSaved)
            return true;
        if (!m_hasSaved) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return false;
        }
        m_savedRead = ReadSavedCopy(view, m_saved);
        return m_savedRead;
    }

    // As far as it goes: a step that fails does not stop the next.
    void PutBack() const {
        CRegistryKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kAeDebugSubKey, KEY_READ | KEY_WRITE | m_view) ==
            ERROR_SUCCESS)
            m_aeDebug.Write(key);
        if (!m_hasSaved)
            DeleteSavedCopy(m_view);
        else if (m_savedRead && !HasSavedRegistration(m_view))
            WriteSavedCopy(m_view, m_saved);
    }

    REGSAM m_view = 0;
    StoredRegistration m_aeDebug;
    bool m_hasSaved = false;
    bool m_savedRead = false;
    StoredRegistration m_saved;
};

// Puts back the first count views and fails with the error that made them go back.
bool PutBack(const CViewState* states, int count) {
    const DWORD error = GetLastError();
    for (int i = count - 1; i >= 0; --i)
        states[i].PutBack();
    SetLastError(error);
    return false;
}

bool CaptureAll(CViewState* states, const REGSAM* views, int count, bool readSaved) {
    for (int i = 0; i < count; ++i) {
        if (!states[i].Capture(views[i], readSaved))
            return false;
    }
    return true;
}

bool CheckViewCount(int count) {
    if (count >= 1 && count <= kMaxViews)
        return true;
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
}
} // namespace

bool HasSavedRegistration(REGSAM view) {
    CRegistryKey key;
    return Win32Succeeded(key.Open(HKEY_LOCAL_MACHINE, kSavedRegistrationSubKey, KEY_READ | view));
}

bool ReadSavedRegistration(CDebuggerEntry& entry, REGSAM view) {
    return ReadRegistration(kSavedRegistrationSubKey, entry, view);
}

bool ReplaceAeDebug(const CDebuggerEntry& entry, const REGSAM* views, int count) {
    if (!CheckViewCount(count))
        return false;
    // A system may lack the 32-bit view's key (never the native one); a key made here goes again
    // when the change fails.
    bool made = false;
    for (int i = 0; i < count; ++i) {
        CRegistryKey key;
        if (views[i] == KEY_WOW64_32KEY &&
            !Win32Succeeded(
                key.Create(HKEY_LOCAL_MACHINE, kAeDebugSubKey, KEY_READ | views[i], made)))
            return false;
    }
    CViewState states[kMaxViews];
    bool replaced = CaptureAll(states, views, count, false);
    for (int i = 0; replaced && i < count; ++i) {
        if (!(states[i].m_hasSaved || WriteSavedCopy(views[i], states[i].m_aeDebug)) ||
            !WriteAeDebug(entry, views[i]))
            replaced = PutBack(states, i + 1);
    }
    if (!replaced && made) {
        const DWORD error = GetLastError();
        CRegistryKey::DeleteKey(HKEY_LOCAL_MACHINE, kAeDebugSubKey, KEY_WOW64_32KEY);
        SetLastError(error);
    }
    return replaced;
}

bool RestoreAeDebug(const REGSAM* views, int count) {
    if (!CheckViewCount(count))
        return false;
    // Every copy is read and checked before anything is written.
    CViewState states[kMaxViews];
    if (!CaptureAll(states, views, count, true))
        return false;
    for (int i = 0; i < count; ++i) {
        CRegistryKey key;
        if (!Win32Succeeded(
                key.Open(HKEY_LOCAL_MACHINE, kAeDebugSubKey, KEY_READ | KEY_WRITE | views[i])) ||
            !states[i].m_saved.Write(key) || !DeleteSavedCopy(views[i]))
            return PutBack(states, i + 1);
    }
    return true;
}
