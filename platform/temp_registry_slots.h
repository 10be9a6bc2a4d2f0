// What the interrupt handler may read of the temporary-file registry from a signal.
#pragma once

#include <string_view>

// What the platform's interrupt handler reads of the registry. Both are
// safe to call from a signal handler: no locks, no allocation.

// Calls `remove` with each registered path.
void RemoveRegisteredTempPaths(void (*remove)(const char* path));
// The note with its line end, empty when none is set.
std::string_view PublishedInterruptNote();
