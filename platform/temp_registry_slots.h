// What the interrupt handler may read of the temporary-file registry from a signal.
#pragma once

#include <string_view>

// What the platform's interrupt handler reads of the registry. Both are
// safe to call from a signal handler: no locks, no allocation.

// Calls `remove` with each registered path.
void RemoveRegisteredTempPaths(void (*remove)(const char* path));
// The note with its line end, empty when none is set.
std::string_view PublishedInterruptNote();

// Records `signal` as the deferred interrupt when deferring is on and none
// was recorded yet; false when the handler must end the process instead.
bool DeferInterrupt(int signal);
// Turns deferring on.
void StartDeferringInterrupts();
