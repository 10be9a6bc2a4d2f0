// The links in the port folder, and the devices they reach.
#include "link/port_map.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include "link/link_messages.h"
#include "link/port_names.h"

namespace {

constexpr std::string_view DEV_PREFIX = "/dev/";
constexpr std::string_view BY_ID_PREFIX = "/dev/serial/by-id/";
constexpr std::size_t TEMP_NAME_TRIES = 100;
// Device numbers of terminals that are no serial line: major 5 holds
// /dev/tty, /dev/console and /dev/ptmx; major 4 below minor 64 the virtual
// consoles, from 64 on the ttyS ports.
constexpr unsigned TTYAUX_MAJOR = 5;
constexpr unsigned TTY_MAJOR = 4;
constexpr unsigned FIRST_SERIAL_MINOR = 64;

std::string EntryPath(std::string_view name)
{
    return PortFolder() + "/" + std::string(name);
}

bool IsPortListName(std::string_view name)
{
    // Only the names of the list go through the port folder.
    return ResolvePortName(name) != name;
}

std::string BadNameError(std::string_view name)
{
    return LinkMsg::NotAPortListName(std::string(name));
}

std::string SystemError(const std::string& what, int error)
{
    return what + ": " + std::strerror(error);
}

// Why `path` is not a serial line, or "" when it is one: a character
// device that answers the terminal calls, and not a console, the process's
// own terminal or the pseudo-terminal multiplexer.
std::string NotASerialPort(const std::string& path, const struct stat& info)
{
    if (S_ISREG(info.st_mode))
        return LinkMsg::REGULAR_FILE;
    if (S_ISDIR(info.st_mode))
        return LinkMsg::FOLDER;
    if (S_ISFIFO(info.st_mode))
        return LinkMsg::FIFO;
    if (!S_ISCHR(info.st_mode))
        return LinkMsg::NOT_A_DEVICE;
    const unsigned major = ::major(info.st_rdev);
    if (major == TTYAUX_MAJOR || (major == TTY_MAJOR && ::minor(info.st_rdev) < FIRST_SERIAL_MINOR))
        return LinkMsg::CONSOLE;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return LinkMsg::DeviceNotOpened(std::strerror(errno));
    termios settings {};
    const bool terminal = ::tcgetattr(fd, &settings) == 0;
    ::close(fd);
    return terminal ? "" : LinkMsg::NOT_A_TERMINAL;
}

std::optional<SerialDevice> DeviceAt(const std::string& path, const std::vector<SerialDevice>& devices)
{
    for (const SerialDevice& device : devices) {
        if (device.node == path || (!device.byId.empty() && device.byId == path))
            return device;
    }
    return std::nullopt;
}

} // namespace

std::vector<PortTarget> ListPortTargets(const std::vector<SerialDevice>& devices)
{
    std::vector<PortTarget> targets;
    // The links of a folder that is not trusted are not followed.
    const bool trusted = PortFolderDistrust().empty();
    for (const std::string& name : PortListNames()) {
        PortTarget target;
        target.name = name;
        const std::string entry = EntryPath(name);
        struct stat info {};
        if (trusted && ::lstat(entry.c_str(), &info) == 0) {
            target.mapped = true;
            std::error_code ec;
            const std::filesystem::path linked = std::filesystem::read_symlink(entry, ec);
            target.path = ec ? entry : linked.string();
            // The target is looked at by its own name, so that the name is
            // what the system resolves (a by-id link is one more link).
            const std::filesystem::path reached =
                ec ? std::filesystem::path(entry)
                   : (linked.is_absolute() ? linked : std::filesystem::path(PortFolder()) / linked);
            target.present = ::stat(reached.c_str(), &info) == 0;
            target.device = DeviceAt(target.path, devices);
        } else {
            target.path = ResolvePortName(name);
            target.device = DeviceAt(target.path, devices);
            target.present = target.device.has_value();
        }
        targets.push_back(std::move(target));
    }
    return targets;
}

bool MapPort(std::string_view name, const std::string& target, std::string& error)
{
    if (!IsPortListName(name)) {
        error = BadNameError(name);
        return false;
    }
    const std::string folder = PortFolder();
    if (const std::string distrust = PortFolderDistrust(); !distrust.empty()) {
        error = distrust;
        return false;
    }
    std::error_code ec;
    CreatePortFolder(folder, ec);
    if (ec) {
        error = LinkMsg::PortFolderNotMade(folder) + ": " + ec.message();
        return false;
    }
    // A fresh temporary name beside the entry, then a rename over it: the
    // port name never points nowhere in between.
    const std::string base = folder + "/." + std::string(name) + ".new-" + std::to_string(::getpid());
    std::string temp;
    for (std::size_t attempt = 0; attempt < TEMP_NAME_TRIES; ++attempt) {
        temp = base + "-" + std::to_string(attempt);
        if (::symlink(target.c_str(), temp.c_str()) == 0)
            break;
        if (errno != EEXIST) {
            error = SystemError(LinkMsg::LinkNotMade(folder), errno);
            return false;
        }
        temp.clear();
    }
    if (temp.empty()) {
        error = SystemError(LinkMsg::LinkNotMade(folder), EEXIST);
        return false;
    }
    if (::rename(temp.c_str(), EntryPath(name).c_str()) != 0) {
        const int cause = errno;
        ::unlink(temp.c_str());
        error = SystemError(LinkMsg::NotMapped(std::string(name)), cause);
        return false;
    }
    return true;
}

bool UnmapPort(std::string_view name, std::string& error)
{
    if (!IsPortListName(name)) {
        error = BadNameError(name);
        return false;
    }
    if (::unlink(EntryPath(name).c_str()) != 0 && errno != ENOENT) {
        error = SystemError(LinkMsg::NotUnmapped(std::string(name)), errno);
        return false;
    }
    return true;
}

std::optional<std::string> MapTargetFor(const std::string& device, const std::vector<SerialDevice>& devices,
                                        std::string& refusal)
{
    refusal.clear();
    for (const SerialDevice& found : devices) {
        const bool byNode = device == found.node || std::string(DEV_PREFIX) + device == found.node;
        const bool byId = !found.byId.empty() &&
                          (device == found.byId || std::string(BY_ID_PREFIX) + device == found.byId);
        if (byNode || byId)
            return found.StableName();
    }
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0)
        return std::nullopt;
    const std::string why = NotASerialPort(device, info);
    if (!why.empty()) {
        refusal = LinkMsg::NotMappable(device, why);
        return std::nullopt;
    }
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(device, ec);
    return ec ? device : absolute.string();
}
