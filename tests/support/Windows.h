#pragma once

// Closes every open window (each runs its Close event, as when the user
// closes it) and lets the deleted windows go, so each test starts afresh.

namespace testing {
void closeAllWindows();
}
