// Why a port did not open on Windows, where nobody can be named as its holder.
#include "link/port_open_cause.h"

#include <cerrno>
#include <cstring>

#include "link/link_messages.h"
#include "link/port_names.h"

// Windows keeps no list of who holds a port that a user may read.
std::vector<PortHolder> ProcessesHolding(const std::string&)
{
    return {};
}

std::string PortOpenCause(std::string_view portName, int error)
{
    if (error == 0)
        return {};
    const std::string device = ResolvePortName(portName);
    const std::string named = device == portName ? device : std::string(portName) + " (" + device + ")";
    switch (error) {
    case EBUSY:
        return LinkMsg::BusyOnWindows(named);
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return LinkMsg::NoSuchPortOnWindows(named);
    case EACCES:
    case EPERM:
        return LinkMsg::NoAccessOnWindows(named);
    default:
        return LinkMsg::NotOpened(named, std::strerror(error));
    }
}
