// One RAII owner for every kind of handle the program uses. Closing keeps the thread's last
// error, so a caller that cleans up on the way out still sees the first cause of a failure.
#pragma once

#include <windows.h>
#include <commctrl.h>

template <class Traits> class CHandle {
public:
    using Type = typename Traits::Type;

    CHandle() = default;
    explicit CHandle(Type handle) : m_handle(handle) {}
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    CHandle(CHandle&& other) noexcept : m_handle(other.Detach()) {}
    CHandle& operator=(CHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }
    ~CHandle() { Reset(); }

    Type Get() const { return m_handle; }
    operator Type() const { return m_handle; }
    bool IsValid() const { return m_handle != Traits::Invalid(); }
    explicit operator bool() const { return IsValid(); }

    // The address of the stored handle, for calls that return a handle through a parameter.
    Type* Put() {
        Reset();
        return &m_handle;
    }
    Type Detach() {
        Type handle = m_handle;
        m_handle = Traits::Invalid();
        return handle;
    }
    void Reset(Type handle = Traits::Invalid()) {
        if (m_handle != Traits::Invalid()) {
            DWORD error = GetLastError();
            Traits::Close(m_handle);
            SetLastError(error);
        }
        m_handle = handle;
    }

private:
    Type m_handle = Traits::Invalid();
};

struct CKernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { CloseHandle(handle); }
};

struct CModuleHandleTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { FreeLibrary(handle); }
};

struct CIconHandleTraits {
    using Type = HICON;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { DestroyIcon(handle); }
};

struct CCursorHandleTraits {
    using Type = HCURSOR;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { DestroyCursor(handle); }
};

struct CHookHandleTraits {
    using Type = HHOOK;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { UnhookWindowsHookEx(handle); }
};

struct CWindowHandleTraits {
    using Type = HWND;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { DestroyWindow(handle); }
};

struct CFileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { CloseHandle(handle); }
};

struct CRegKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { RegCloseKey(handle); }
};

struct CGdiObjectTraits {
    using Type = HGDIOBJ;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { DeleteObject(handle); }
};

struct CFontTraits {
    using Type = HFONT;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { DeleteObject(handle); }
};

struct CLocalMemoryTraits {
    using Type = HLOCAL;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { LocalFree(handle); }
};

struct CSidTraits {
    using Type = PSID;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { FreeSid(handle); }
};

using CKernelHandle = CHandle<CKernelHandleTraits>;
using CFileHandle = CHandle<CFileHandleTraits>;
using CModuleHandle = CHandle<CModuleHandleTraits>;
using CIconHandle = CHandle<CIconHandleTraits>;
using CCursorHandle = CHandle<CCursorHandleTraits>;
using CHookHandle = CHandle<CHookHandleTraits>;
using CWindowHandle = CHandle<CWindowHandleTraits>;
using CRegKeyHandle = CHandle<CRegKeyTraits>;
using CFontHandle = CHandle<CFontTraits>;
using CLocalMemory = CHandle<CLocalMemoryTraits>;
using CSidHandle = CHandle<CSidTraits>;
