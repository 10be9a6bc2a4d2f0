// Port names to device paths, and the per-user data and port folders.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The program's per-user data folder: $XDG_DATA_HOME/MFCVemSync, or
// ~/.local/share/MFCVemSync when that variable is unset, empty or not an
// absolute path. The port folder and the simulator's default store live in it.
// On Windows: %APPDATA%\MFCVemSync.
std::string AppDataFolder();

#ifndef _WIN32
// Where the operator maps port names to devices: $XDG_DATA_HOME/MFCVemSync/ports,
// or ~/.local/share/MFCVemSync/ports when that variable is unset, empty or
// not an absolute path. Windows has no such folder: COMn is the port itself.
std::string PortFolder();
#endif

// Maps a port name of the port list to a device path. "COM1" ... "COM10"
// become the entry of that name in PortFolder() when one exists (usually a
// symbolic link to a USB adapter or to the simulator's terminal), otherwise
// /dev/ttyS0 ... /dev/ttyS9. Any other name is taken as a path and returned
// unchanged.
// On Windows "COMn" (n from 1 to 255) becomes the device name \\.\COMn,
// which the system needs from COM10 on; any other name stays as given.
std::string ResolvePortName(std::string_view name);

// The number n of a name "COMn" with n in 1..last, written without leading
// zeros; nothing for any other name.
std::optional<unsigned> ComNumber(std::string_view name, unsigned last);
