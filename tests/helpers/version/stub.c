// A library that exists only for its version resource.
#include <windows.h>

__declspec(dllexport) int VersionStub(void) {
    return 1;
}
