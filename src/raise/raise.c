/* The companion raise.exe: fails at once with an unhandled exception, so that the system starts
 * the configured post-mortem debugger. It runs without the C runtime, whose start-up code would
 * install an exception filter of its own, and it never loads user32, so nothing of its own comes
 * before the system's handling (which may otherwise ask the user first). */
#include <windows.h>

/* A distinctive code, so that a debugger shows at once that this is the test exception. */
#define RAISE_TEST_EXCEPTION 0xE0C0FFEEu

void __stdcall RaiseEntry(void) {
    RaiseException(RAISE_TEST_EXCEPTION, EXCEPTION_NONCONTINUABLE, 0, NULL);
    ExitProcess(1); /* not reached: nothing handles the exception */
}
