#include "framework/ElevationPrompt.h"

#include "framework/MessageBoxes.h"
#include "privileges/Elevation.h"

bool RequireElevation(UINT promptId) {
    if (IsElevated())
        return true;

    if (MessageBoxResource(promptId, MB_SHIELD | MB_ICONINFORMATION | MB_RETRYCANCEL) != IDRETRY) {
        SetLastError(ERROR_CANCELLED);
        return false;
    }
    // The new instance closes this one; until then nothing may be written here.
    if (RelaunchElevated(GetActiveWindow()))
        SetLastError(ERROR_ACCESS_DENIED);
    return false;
}
