// Starts two or three programs in turn and measures, for each start, the time from CreateProcess
// to its property sheet shown and idle, and its private memory at that moment; prints every round
// and the ratios of the medians (program / baseline, and program / yardstick when given).
// Usage: startbench ROUNDS BASELINE.exe PROGRAM.exe [YARDSTICK.exe]
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>

namespace {

const DWORD kTimeoutMs = 30000;

struct Sample {
    double ms;
    double privateKiB;
};

struct FindSheet {
    DWORD pid;
    HWND sheet;
};

BOOL CALLBACK FindVisibleSheet(HWND hwnd, LPARAM lParam) {
    auto* find = reinterpret_cast<FindSheet*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t className[16];
    if (pid != find->pid || !IsWindowVisible(hwnd) ||
        !GetClassNameW(hwnd, className, ARRAYSIZE(className)) ||
        lstrcmpW(className, L"#32770") != 0 ||
        !FindWindowExW(hwnd, nullptr, L"SysTabControl32", nullptr))
        return TRUE;
    find->sheet = hwnd;
    return FALSE;
}

double Elapsed(const LARGE_INTEGER& start, const LARGE_INTEGER& frequency) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

// Committed private memory summed over the address space, which is what PrivateUsage counts on
// Windows; Wine 8 leaves PrivateUsage at 0.
SIZE_T CommittedPrivateBytes(HANDLE process) {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (BYTE* address = nullptr;
         VirtualQueryEx(process, address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<BYTE*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
    }
    return total;
}

bool g_privateUsageMissing = false;

// One start of the program: shown, idle, measured, closed, gone.
bool Measure(const wchar_t* exe, Sample& sample) {
    LARGE_INTEGER frequency, start;
    QueryPerformanceFrequency(&frequency);
    wchar_t commandLine[MAX_PATH + 3];
    wsprintfW(commandLine, L"\"%s\"", exe);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};

    QueryPerformanceCounter(&start);
    if (!CreateProcessW(exe, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        fprintf(stderr, "cannot start %ls (error %lu)\n", exe, GetLastError());
        return false;
    }
    CloseHandle(process.hThread);
    WaitForInputIdle(process.hProcess, kTimeoutMs);
    FindSheet find = {process.dwProcessId, nullptr};
    while (EnumWindows(FindVisibleSheet, reinterpret_cast<LPARAM>(&find)) && !find.sheet &&
           Elapsed(start, frequency) < kTimeoutMs &&
           WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
    }
    // Answered only once the sheet's thread is back in its message loop with nothing before it.
    DWORD_PTR answer;
    bool ok = find.sheet &&
              SendMessageTimeoutW(find.sheet, WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &answer);
    sample.ms = Elapsed(start, frequency);

    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    if (ok &&
        !GetProcessMemoryInfo(process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                              sizeof(memory)))
        ok = false;
    SIZE_T privateBytes = memory.PrivateUsage;
    if (ok && !privateBytes) {
        g_privateUsageMissing = true;
        privateBytes = CommittedPrivateBytes(process.hProcess);
    }
    sample.privateKiB = static_cast<double>(privateBytes) / 1024.0;
    if (!ok)
        fprintf(stderr, "%ls: no idle sheet within %lu ms\n", exe, kTimeoutMs);

    if (find.sheet)
        PostMessageW(find.sheet, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, kTimeoutMs) != WAIT_OBJECT_0) {
        fprintf(stderr, "%ls did not end when its sheet was closed\n", exe);
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, kTimeoutMs);
        ok = false;
    }
    CloseHandle(process.hProcess);
    return ok;
}

int CompareDoubles(const void* a, const void* b) {
    double x = *static_cast<const double*>(a), y = *static_cast<const double*>(b);
    return (x > y) - (x < y);
}

double Median(double* values, int count) {
    qsort(values, count, sizeof(double), CompareDoubles);
    return count % 2 ? values[count / 2] : (values[count / 2 - 1] + values[count / 2]) / 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // The baseline, the program, and optionally a second yardstick to compare the program with.
    const int count = argc - 2;
    int rounds = count == 2 || count == 3 ? _wtoi(argv[1]) : 0;
    if (rounds < 1 || rounds > 100) {
        fprintf(stderr, "usage: startbench ROUNDS BASELINE.exe PROGRAM.exe [YARDSTICK.exe]\n");
        return 2;
    }
    const wchar_t* const* exes = argv + 2;

    // One start of each first, not counted: the first start of a program pays for the disk cache.
    Sample sample;
    for (int which = 0; which < count; ++which)
        if (!Measure(exes[which], sample))
            return 1;

    static double ms[3][100], kib[3][100];
    printf("round  baseline ms  program ms%s  baseline KiB  program KiB\n",
           count == 3 ? "  yardstick ms" : "");
    for (int round = 0; round < rounds; ++round) {
        // Rotate which goes first, so that none always follows the same one.
        for (int turn = 0; turn < count; ++turn) {
            int which = (round + turn) % count;
            if (!Measure(exes[which], sample))
                return 1;
            ms[which][round] = sample.ms;
            kib[which][round] = sample.privateKiB;
        }
        printf("%5d  %11.1f  %10.1f", round + 1, ms[0][round], ms[1][round]);
        if (count == 3)
            printf("  %12.1f", ms[2][round]);
        printf("  %12.0f  %11.0f\n", kib[0][round], kib[1][round]);
        fflush(stdout);
    }
    double medianMs[3], medianKiB[3];
    for (int which = 0; which < count; ++which) {
        medianMs[which] = Median(ms[which], rounds);
        medianKiB[which] = Median(kib[which], rounds);
    }
    if (g_privateUsageMissing)
        printf("(private memory: the system reports no PrivateUsage; committed private regions "
               "summed instead)\n");
    printf("median %11.1f  %10.1f", medianMs[0], medianMs[1]);
    if (count == 3)
        printf("  %12.1f", medianMs[2]);
    printf("  %12.0f  %11.0f\n", medianKiB[0], medianKiB[1]);
    // Sorted by Median: on a busy machine the fastest start shows what the program can do.
    printf("fastest%11.1f  %10.1f", ms[0][0], ms[1][0]);
    if (count == 3)
        printf("  %12.1f", ms[2][0]);
    printf("\n");
    printf("start-up ratio (program / baseline): %.2f\n", medianMs[1] / medianMs[0]);
    printf("private memory ratio (program / baseline): %.2f\n",
           medianKiB[0] > 0 ? medianKiB[1] / medianKiB[0] : 0.0);
    if (count == 3)
        printf("start-up ratio (program / yardstick): %.2f\n", medianMs[1] / medianMs[2]);
    return 0;
}
