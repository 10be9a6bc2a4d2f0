// Port names on POSIX: the port folder's entries, else the fixed /dev/ttyS ports.
#include "link/port_names.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "link/link_messages.h"

namespace {

constexpr unsigned LAST_COM = 10;
constexpr std::string_view FIXED_DEVICE_PREFIX = "/dev/ttyS";
constexpr std::string_view APP_DATA_SUBFOLDER = "/MFCVemSync";
constexpr std::string_view PORTS_SUBFOLDER = "/ports";
constexpr std::string_view DEFAULT_DATA_SUBFOLDER = "/.local/share";
constexpr uid_t ROOT = 0;
constexpr mode_t PRIVATE_FOLDER_MODE = 0700;

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

std::string PortFolderDistrust()
{
    const std::string folder = PortFolder();
    for (const std::string& path : {folder, AppDataFolder()}) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            continue;
        const bool foreign = st.st_uid != ::getuid() && st.st_uid != ROOT;
        const bool open = (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
        if (foreign || open)
            return LinkMsg::PortFolderDistrusted(folder, path, foreign);
    }
    return {};
}

bool CreatePortFolder(const std::string& folder, std::error_code& ec)
{
    const std::filesystem::path path(folder);
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec)
        return false;
    if (::mkdir(folder.c_str(), PRIVATE_FOLDER_MODE) != 0 && errno != EEXIST) {
        ec = std::error_code(errno, std::generic_category());
        return false;
    }
    return true;
}

std::string ResolvePortName(std::string_view name)
{
    const std::optional<unsigned> number = ComNumber(name, LAST_COM);
    if (!number)
        return std::string(name);
    if (!PortFolderDistrust().empty())
        return std::string(FIXED_DEVICE_PREFIX) + std::to_string(*number - 1);

    // An entry that exists but points nowhere (adapter unplugged) is still
    // used: opening it fails, which is better than silently taking the
    // fixed port of the same number.
    std::string mapped = PortFolder() + "/" + std::string(name);
    struct stat info {};
    if (lstat(mapped.c_str(), &info) == 0)
        return mapped;
    return std::string(FIXED_DEVICE_PREFIX) + std::to_string(*number - 1);
}
