#include "console/Console.h"

#include <stdarg.h>

#include "base/Error.h"
#include "base/Handle.h"

namespace {
void Write(DWORD stream, const wchar_t* text, int length) {
    HANDLE handle = GetStdHandle(stream);
    if (!handle || handle == INVALID_HANDLE_VALUE || length <= 0)
        return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, text, static_cast<DWORD>(length), &written, nullptr);
        return;
    }
    // Scripts read redirected output as UTF-8.
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return;
    CHeapMemory<char> buffer(static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, bytes)));
    if (!buffer)
        return;
    WideCharToMultiByte(CP_UTF8, 0, text, length, buffer.Get(), bytes, nullptr, nullptr);
    WriteFile(handle, buffer.Get(), static_cast<DWORD>(bytes), &written, nullptr);
}

void PrintV(DWORD stream, const wchar_t* prefix, const wchar_t* format, va_list args) {
    CString text(prefix);
    CString body;
    body.FormatV(format, args);
    text += body;
    if (stream == STD_ERROR_HANDLE)
        text += L"\n";
    Write(stream, text, text.GetLength());
}
} // namespace

void WriteOut(const wchar_t* text) {
    Write(STD_OUTPUT_HANDLE, text, lstrlenW(text));
}

void PrintOut(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    PrintV(STD_OUTPUT_HANDLE, L"", format, args);
    va_end(args);
}

void PrintError(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    PrintV(STD_ERROR_HANDLE, L"corvanectl: ", format, args);
    va_end(args);
}

int FailWithLastError(const wchar_t* what) {
    CString text;
    GetErrorText(HResultFromLastError(), text);
    PrintError(L"%s: %s", what, text.IsEmpty() ? L"unknown error" : text.GetString());
    return kExitFailure;
}

int FailUsage(const wchar_t* format, ...) {
    CString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    PrintError(L"%s Run \"corvanectl help\" for the usage.", text.GetString());
    return kExitUsage;
}

CString JsonString(const wchar_t* text) {
    CString json(L"\"");
    for (const wchar_t* c = text; *c; ++c) {
        if (*c == L'"' || *c == L'\\')
            json.AppendFormat(L"\\%c", *c);
        else if (*c < 0x20)
            json.AppendFormat(L"\\u%04x", static_cast<unsigned>(*c));
        else
            json.Append(c, 1);
    }
    json += L"\"";
    return json;
}
