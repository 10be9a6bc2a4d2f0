// Port names on POSIX: the port folder's entries, else the fixed /dev/ttyS ports.
#include "link/port_names.h"

#include <cstdlib>
#include <optional>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned LAST_COM = 10;
constexpr std::string_view FIXED_DEVICE_PREFIX = "/dev/ttyS";
constexpr std::string_view APP_DATA_SUBFOLDER = "/MFCVemSync";
constexpr std::string_view PORTS_SUBFOLDER = "/ports";
constexpr std::string_view DEFAULT_DATA_SUBFOLDER = "/.local/share";

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return {};
}

} // namespace

std::string AppDataFolder()
{
    std::string base;
    // A relative XDG_DATA_HOME is invalid and ignored, as the desktop
    // conventions ask.
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome != nullptr && dataHome[0] == '/')
        base = dataHome;
    else
        base = HomeFolder() + std::string(DEFAULT_DATA_SUBFOLDER);
    return base + std::string(APP_DATA_SUBFOLDER);
}

std::string PortFolder()
{
    return AppDataFolder() + std::string(PORTS_SUBFOLDER);
}

std::string ResolvePortName(std::string_view name)
{
    const std::optional<unsigned> number = ComNumber(name, LAST_COM);
    if (!number)
        return std::string(name);

    // An entry that exists but points nowhere (adapter unplugged) is still
    // used: opening it fails, which is better than silently taking the
    // fixed port of the same number.
    std::string mapped = PortFolder() + "/" + std::string(name);
    struct stat info {};
    if (lstat(mapped.c_str(), &info) == 0)
        return mapped;
    return std::string(FIXED_DEVICE_PREFIX) + std::to_string(*number - 1);
}
