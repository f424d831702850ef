#include "console/Console.h"

#include <stdarg.h>

#include "base/Error.h"
#include "base/Handle.h"

namespace {
// Text that goes to a file or a pipe is read by `type`, `findstr`, `for /f` and PowerShell 5.1,
// which decode it in the console's output code page and split lines at CRLF. A process without
// any console (started detached, or after FreeConsole) gets 0 from GetConsoleOutputCP: it writes
// in the system's OEM code page, the one every new console starts in, so that what `type` in a
// fresh window or a default PowerShell reads is the same as when a console was there.
UINT RedirectedCodePage() {
    UINT codePage = GetConsoleOutputCP();
    return codePage ? codePage : GetOEMCP();
}

// A character that the code page cannot hold becomes the code page's own default character
// ("?"), never a best-fit look-alike: best fit turns a fullwidth quotation mark into '"', which
// moves where `for /f` splits the rest of the line, and a letter into a plainer one, which names
// another file. Windows refuses that flag for UTF-8 and a few other code pages, which are then
// converted without it; a code page that cannot be converted to at all gives UTF-8, not silence.
void WriteRedirected(HANDLE handle, const wchar_t* text, int length) {
    CString crlf;
    int start = 0;
    for (int i = 0; i < length; ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) {
            crlf.Append(text + start, i - start);
            crlf += L"\r";
            start = i;
        }
    }
    crlf.Append(text + start, length - start);
    const UINT codePage = RedirectedCodePage();
    const struct {
        UINT codePage;
        DWORD flags;
    } attempts[] = {{codePage, WC_NO_BEST_FIT_CHARS}, {codePage, 0}, {CP_UTF8, 0}};
    for (const auto& attempt : attempts) {
        int bytes = WideCharToMultiByte(attempt.codePage, attempt.flags, crlf, crlf.GetLength(),
                                        nullptr, 0, nullptr, nullptr);
        if (bytes <= 0)
            continue;
        CHeapMemory<char> buffer(static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, bytes)));
        if (!buffer)
            return;
        WideCharToMultiByte(attempt.codePage, attempt.flags, crlf, crlf.GetLength(), buffer.Get(),
                            bytes, nullptr, nullptr);
        DWORD written = 0;
        WriteFile(handle, buffer.Get(), static_cast<DWORD>(bytes), &written, nullptr);
        return;
    }
}

void Write(DWORD stream, const wchar_t* text, int length) {
    HANDLE handle = GetStdHandle(stream);
    if (!handle || handle == INVALID_HANDLE_VALUE || length <= 0)
        return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode))
        WriteConsoleW(handle, text, static_cast<DWORD>(length), &written, nullptr);
    else
        WriteRedirected(handle, text, length);
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

// Characters that could end or redraw a line of the output, and halves of a character without
// their other half, go out as \uXXXX: a crafted value must not forge lines of its own, and JSON
// must stay valid. JSON escapes quotes and backslashes too, and is pure ASCII (so it reads as
// UTF-8 in whatever code page a reader assumes).
CString Escaped(const wchar_t* chars, int length, bool json) {
    CString text;
    for (int i = 0; i < length; ++i) {
        const wchar_t c = chars[i];
        if (json && c > 0x7E) {
            text.AppendFormat(L"\\u%04x", static_cast<unsigned>(c));
        } else if (IS_HIGH_SURROGATE(c) && i + 1 < length && IS_LOW_SURROGATE(chars[i + 1])) {
            text.Append(chars + i++, 2);
        } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
                   IS_HIGH_SURROGATE(c) || IS_LOW_SURROGATE(c)) {
            text.AppendFormat(L"\\u%04x", static_cast<unsigned>(c));
        } else {
            if (json && (c == L'"' || c == L'\\'))
                text.Append(L"\\", 1);
            text.Append(chars + i, 1);
        }
    }
    return text;
}

CString JsonString(const wchar_t* text) {
    CString json(L"\"");
    json += Escaped(text, lstrlenW(text), true);
    json += L"\"";
    return json;
}
