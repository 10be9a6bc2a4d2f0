// The temporary files to remove, and the note to print, should a signal end the process.
#pragma once

#include <string_view>

// The temporary files this process has created and must not leave behind
// when SIGINT, SIGTERM or SIGHUP ends it. The signal handler only removes
// the registered files, writes the interrupt note (if any) to standard
// error and ends the process with 128 + the signal's number, so everything
// it touches is fixed-size and lock-free.

// Registers a file for removal on such a signal; the slot to give back, or
// -1 when the registry is full or the path too long (the file then only
// misses the clean-up on a signal).
int RegisterTempPath(std::string_view path);
void UnregisterTempPath(int slot);

// A line for standard error should a signal end the process now, for
// instance while the controller holds a half-written program. Cut to a
// fixed length; a new note replaces the old.
void SetInterruptNote(std::string_view text);
void ClearInterruptNote();

// Installs the handler for SIGINT, SIGTERM and SIGHUP. False when the system
// refuses.
bool InstallInterruptCleanup();
