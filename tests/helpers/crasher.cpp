// Installs the program's crash handler as corvane.exe does, then writes through a null pointer;
// with the argument "deep", only once its stack is all but used up. "overflow" overflows the
// stack for real, for a try on Windows (Wine ends the thread without a filter).
#include <windows.h>

#include <wchar.h>

#include "crash/CrashHandler.h"

namespace {
// Stack left at the fault with "deep": room for the system's dispatch of the exception and the
// filter, not for writing a dump or showing a message.
constexpr ULONG_PTR kStackLeft = 24 * 1024;

void Fault() {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 42;
}

__attribute__((noinline)) int Descend(ULONG_PTR floor) {
    volatile char frame[512];
    frame[0] = 1;
    if (reinterpret_cast<ULONG_PTR>(&frame[0]) < floor && floor) {
        Fault();
        return 0;
    }
    return Descend(floor) + frame[0];
}
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    InstallCrashHandler();
    if (wcscmp(commandLine, L"deep") == 0) {
        // Windows 8 on (and Wine): where the thread's stack ends.
        using GetLimits = void(WINAPI*)(ULONG_PTR*, ULONG_PTR*);
        auto getLimits = reinterpret_cast<GetLimits>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetCurrentThreadStackLimits")));
        ULONG_PTR low = 0, high = 0;
        if (getLimits)
            getLimits(&low, &high);
        return low ? Descend(low + kStackLeft) : 3;
    }
    if (wcscmp(commandLine, L"overflow") == 0)
        return Descend(0);
    Fault();
    return 3;
}
