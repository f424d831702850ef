// The elevation gate of the pages: the prompt, with the shield, that offers to restart the
// program elevated. The check and the restart themselves are window-free (privileges/).
#pragma once

#include <windows.h>

// True when the caller may go on with a privileged action. Otherwise the user is asked, in a
// Retry/Cancel prompt (string promptId) with the shield on Retry, to restart elevated; the answer
// is false and the last error is ERROR_CANCELLED (cancelled, or no prompt could be shown),
// ERROR_ACCESS_DENIED (the elevated copy was started and will close this one) or the
// launcher's error.
bool RequireElevation(UINT promptId);
