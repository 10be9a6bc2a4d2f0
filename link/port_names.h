#pragma once

#include <string>
#include <string_view>

// Where the operator maps port names to devices: $XDG_DATA_HOME/MFCVemSync/ports,
// or ~/.local/share/MFCVemSync/ports when that variable is unset, empty or
// not an absolute path.
std::string PortFolder();

// Maps a port name of the port list to a device path. "COM1" ... "COM10"
// become the entry of that name in PortFolder() when one exists (usually a
// symbolic link to a USB adapter or to the simulator's terminal), otherwise
// /dev/ttyS0 ... /dev/ttyS9. Any other name is taken as a path and returned
// unchanged.
std::string ResolvePortName(std::string_view name);
