#include "debugger/SavedRegistration.h"

#include "base/Error.h"
#include "base/Handle.h"
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

// In the machine's global namespace, so that the page and corvanectl of every session, elevated
// or not, meet at the same object. A holder that crashed leaves it abandoned, which the next
// writer takes over: each view's change is ordered so that a cut-off one loses nothing.
const wchar_t kChangeLockName[] = L"Global\\Corvane.RegistrationChange";
// Long enough for any change to finish; a holder stuck past it is not ours to wait for.
constexpr DWORD kChangeLockTimeoutMs = 30000;

class CChangeLock {
public:
    bool Acquire() {
        m_mutex.Reset(CreateMutexW(nullptr, FALSE, kChangeLockName));
        if (!m_mutex)
            return false;
        const DWORD waited = WaitForSingleObject(m_mutex.Get(), kChangeLockTimeoutMs);
        m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        if (!m_held && waited == WAIT_TIMEOUT)
            SetLastError(ERROR_BUSY);
        return m_held;
    }
    ~CChangeLock() {
        if (m_held)
            ReleaseMutex(m_mutex.Get());
    }

private:
    CKernelHandle m_mutex;
    bool m_held = false;
};

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

bool ReadAeDebugValues(REGSAM view, StoredRegistration& values) {
    CRegistryKey key;
    return Win32Succeeded(key.Open(HKEY_LOCAL_MACHINE, kAeDebugSubKey, KEY_READ | view)) &&
           values.Read(key);
}

bool WriteAeDebugValues(REGSAM view, const StoredRegistration& values) {
    CRegistryKey key;
    return Win32Succeeded(
               key.Open(HKEY_LOCAL_MACHINE, kAeDebugSubKey, KEY_READ | KEY_WRITE | view)) &&
           values.Write(key);
}

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

bool DeleteSavedCopy(REGSAM view) {
    if (!Win32Succeeded(
            CRegistryKey::DeleteKey(HKEY_LOCAL_MACHINE, kSavedRegistrationSubKey, view)))
        return false;
    // The program's own key goes with its last sub-key; one that still holds others stays.
    CRegistryKey::DeleteKey(HKEY_LOCAL_MACHINE, kProgramSubKey, view);
    return true;
}

// The values first and the mark of a whole copy last; a copy cut short is taken away again.
bool WriteSavedCopy(REGSAM view, const StoredRegistration& copy) {
    CRegistryKey key;
    if (!Win32Succeeded(
            key.Create(HKEY_LOCAL_MACHINE, kSavedRegistrationSubKey, KEY_READ | KEY_WRITE | view)))
        return false;
    if (copy.Write(key) && Win32Succeeded(key.WriteDword(kValuesValue, copy.Present())))
        return true;
    const DWORD error = GetLastError();
    DeleteSavedCopy(view);
    SetLastError(error);
    return false;
}

// Fails, with the error of the step that failed, after the clean-up steps, whose own failures
// do not count.
template <class Undo> bool FailAfter(Undo undo) {
    const DWORD error = GetLastError();
    undo();
    SetLastError(error);
    return false;
}

bool CheckViewCount(int count) {
    if (count >= 1 && count <= kMaxViews)
        return true;
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
}

// One view: the copy first (unless one is kept), then the new values. On failure, what this call
// wrote goes: the values as they were, a copy it made, a 32-bit key it made.
bool ReplaceView(const CDebuggerEntry& entry, REGSAM view) {
    bool madeKey = false;
    CRegistryKey key;
    // A system may lack the 32-bit view's key (never the native one).
    if (view == KEY_WOW64_32KEY &&
        !Win32Succeeded(key.Create(HKEY_LOCAL_MACHINE, kAeDebugSubKey, KEY_READ | view, madeKey)))
        return false;
    auto dropKey = [&] {
        if (madeKey)
            CRegistryKey::DeleteKey(HKEY_LOCAL_MACHINE, kAeDebugSubKey, view);
    };
    StoredRegistration before;
    if (!ReadAeDebugValues(view, before))
        return FailAfter(dropKey);
    const SavedCopy saved = FindSavedRegistration(view);
    if (saved == SavedCopy::kUnreadable)
        return FailAfter(dropKey);
    const bool madeCopy = saved == SavedCopy::kNone;
    if (madeCopy && !WriteSavedCopy(view, before))
        return FailAfter(dropKey);
    if (WriteAeDebug(entry, view))
        return true;
    return FailAfter([&] {
        WriteAeDebugValues(view, before);
        if (madeCopy)
            DeleteSavedCopy(view);
        dropKey();
    });
}
} // namespace

SavedCopy FindSavedRegistration(REGSAM view) {
    CRegistryKey key;
    const LONG error = key.Open(HKEY_LOCAL_MACHINE, kSavedRegistrationSubKey, KEY_READ | view);
    if (error == ERROR_SUCCESS)
        return SavedCopy::kPresent;
    SetLastError(error);
    return error == ERROR_FILE_NOT_FOUND ? SavedCopy::kNone : SavedCopy::kUnreadable;
}

bool ReadSavedRegistration(CDebuggerEntry& entry, REGSAM view) {
    return ReadRegistration(kSavedRegistrationSubKey, entry, view);
}

int ReplaceAeDebug(const CDebuggerEntry& entry, const REGSAM* views, int count) {
    CChangeLock lock;
    if (!CheckViewCount(count) || !lock.Acquire())
        return 0;
    int done = 0;
    while (done < count && ReplaceView(entry, views[done]))
        ++done;
    return done;
}

bool RestoreAeDebug(const REGSAM* views, int count, int required, bool* restored, int* failed) {
    for (int i = 0; restored && i < count && i < kMaxViews; ++i)
        restored[i] = false;
    int unused = -1;
    int& failedView = failed ? *failed : unused;
    failedView = -1;
    CChangeLock lock;
    if (!CheckViewCount(count) || !lock.Acquire())
        return false;
    // Every copy is read and checked before anything is written.
    StoredRegistration copies[kMaxViews], before[kMaxViews];
    bool chosen[kMaxViews] = {};
    bool any = false;
    for (int i = 0; i < count; ++i) {
        const SavedCopy saved = FindSavedRegistration(views[i]);
        if (saved == SavedCopy::kNone && i >= required)
            continue;
        if (saved == SavedCopy::kNone)
            SetLastError(ERROR_FILE_NOT_FOUND);
        failedView = i;
        if (saved != SavedCopy::kPresent || !ReadSavedCopy(views[i], copies[i]) ||
            !ReadAeDebugValues(views[i], before[i]))
            return false;
        failedView = -1;
        chosen[i] = any = true;
    }
    if (!any) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (!chosen[i])
            continue;
        // The copy goes only once its values are back; a view that fails is as it was.
        failedView = i;
        if (!WriteAeDebugValues(views[i], copies[i]) || !DeleteSavedCopy(views[i]))
            return FailAfter([&] { WriteAeDebugValues(views[i], before[i]); });
        failedView = -1;
        if (restored)
            restored[i] = true;
    }
    return true;
}
