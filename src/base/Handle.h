// The one owner of everything the program must give back to the system: handles, keys, hooks,
// SIDs, memory blocks, GDI objects, device contexts, windows. A type is its value type, the
// function that frees it and the value that means "nothing held". Freeing keeps the thread's last
// error, so a caller that cleans up on the way out still sees the first cause of a failure. This is
// the only file that calls the freeing functions.
#pragma once

#include <windows.h>

template <class T, auto Close, INT_PTR Invalid = 0> class CUniqueAny {
public:
    constexpr CUniqueAny() = default;
    explicit CUniqueAny(T value) : m_value(value) {}
    CUniqueAny(const CUniqueAny&) = delete;
    CUniqueAny& operator=(const CUniqueAny&) = delete;
    CUniqueAny(CUniqueAny&& other) noexcept : m_value(other.Detach()) {}
    CUniqueAny& operator=(CUniqueAny&& other) noexcept {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }
    ~CUniqueAny() { Reset(); }

    T Get() const { return m_value; }
    explicit operator bool() const { return m_value != InvalidValue(); }

    // Frees what is held; then the address of the empty value, for calls that return a new value
    // through a parameter.
    T* Put() {
        Reset();
        return &m_value;
    }
    // Gives up ownership without freeing.
    T Detach() {
        T value = m_value;
        m_value = InvalidValue();
        return value;
    }
    // Frees what is held and takes the new value.
    void Reset(T value = InvalidValue()) {
        if (*this) {
            DWORD error = GetLastError();
            Close(m_value);
            SetLastError(error);
        }
        m_value = value;
    }

private:
    static constexpr T InvalidValue() {
        if constexpr (Invalid == 0)
            return T(); // constant, so that a global owner needs no start-up code
        else
            return reinterpret_cast<T>(Invalid);
    }

    T m_value = InvalidValue();
};

inline void FreeProcessHeapBlock(void* block) {
    HeapFree(GetProcessHeap(), 0, block);
}

using CKernelHandle = CUniqueAny<HANDLE, CloseHandle>;
using CFileHandle = CUniqueAny<HANDLE, CloseHandle, -1>; // INVALID_HANDLE_VALUE
using CRegKeyHandle = CUniqueAny<HKEY, RegCloseKey>;
using CModuleHandle = CUniqueAny<HMODULE, FreeLibrary>;
using CHookHandle = CUniqueAny<HHOOK, UnhookWindowsHookEx>;
using CSidHandle = CUniqueAny<PSID, FreeSid>;
using CIconHandle = CUniqueAny<HICON, DestroyIcon>;
using CFontHandle = CUniqueAny<HFONT, DeleteObject>;
using CWindowHandle = CUniqueAny<HWND, DestroyWindow>;
// A window's device context from GetDC, given back to that window when the object goes.
class CWindowDC {
public:
    explicit CWindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(GetDC(hwnd)) {}
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;
    ~CWindowDC() {
        if (m_dc) {
            DWORD error = GetLastError();
            ReleaseDC(m_hwnd, m_dc);
            SetLastError(error);
        }
    }
    HDC Get() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

template <class T> using CLocalMemory = CUniqueAny<T*, LocalFree>;
template <class T> using CHeapMemory = CUniqueAny<T*, FreeProcessHeapBlock>;
