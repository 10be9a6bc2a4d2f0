// Why a port did not open, told in Russian, with the processes that hold it.
#include "link/port_open_cause.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "link/link_messages.h"
#include "link/port_names.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* PROC_FOLDER = "/proc";
// Pseudo-terminal slaves: majors 136 to 143, 256 minors each; their
// masters are opened through /dev/ptmx, whose descriptor's fdinfo names
// the terminal ("tty-index:").
constexpr unsigned PTY_SLAVE_MAJOR = 136;
constexpr unsigned PTY_SLAVE_MAJORS = 8;
constexpr unsigned PTY_MINORS_PER_MAJOR = 256;
constexpr const char* PTY_MULTIPLEXER = "ptmx";
constexpr std::string_view TTY_INDEX = "tty-index:";

bool IsProcessId(const std::string& name)
{
    return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    // Device nodes are the same device when their numbers agree, whatever
    // name they were opened by.
    if (S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode))
        return a.st_rdev == b.st_rdev;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string CommandOf(const fs::path& process)
{
    std::ifstream comm(process / "comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// "COM3 (/home/u/.local/share/MFCVemSync/ports/COM3 → /dev/ttyUSB0)"
std::string Named(std::string_view portName, const std::string& device)
{
    std::string named = device == portName ? device : std::string(portName) + " (" + device;
    std::error_code ec;
    const fs::path linked = fs::read_symlink(device, ec);
    if (!ec)
        named += " → " + linked.string();
    if (device != portName)
        named += ")";
    return named;
}

constexpr unsigned PORT_NAME_LAST = 10;

// Whether the process holds the line's other end, as a controller would,
// and not the port for a use of its own: the master side of pseudo-terminal
// `index`, and the slave no more than once (a simulator keeps one slave
// descriptor so that its line never hangs up).
bool HoldsOtherEnd(pid_t pid, unsigned index, const struct stat& slave)
{
    const fs::path process = fs::path(PROC_FOLDER) / std::to_string(pid);
    bool master = false;
    int slaves = 0;
    std::error_code ec;
    for (const fs::directory_entry& fd : fs::directory_iterator(process / "fd", ec)) {
        struct stat st {};
        if (::stat(fd.path().c_str(), &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == slave.st_rdev) {
            ++slaves;
            continue;
        }
        std::error_code linkError;
        if (fs::read_symlink(fd.path(), linkError).filename() != PTY_MULTIPLEXER || linkError)
            continue;
        std::ifstream info(process / "fdinfo" / fd.path().filename());
        for (std::string line; std::getline(info, line);)
            if (line.rfind(TTY_INDEX, 0) == 0 && std::strtoul(line.c_str() + TTY_INDEX.size(), nullptr, 10) == index)
                master = true;
    }
    return master && slaves <= 1;
}

// The pseudo-terminal number of a slave device, if it is one.
std::optional<unsigned> PtyIndexOf(const std::string& device)
{
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0 || !S_ISCHR(st.st_mode))
        return std::nullopt;
    const unsigned major = ::major(st.st_rdev);
    if (major < PTY_SLAVE_MAJOR || major >= PTY_SLAVE_MAJOR + PTY_SLAVE_MAJORS)
        return std::nullopt;
    return (major - PTY_SLAVE_MAJOR) * PTY_MINORS_PER_MAJOR + ::minor(st.st_rdev);
}

std::string Holders(const std::string& device)
{
    std::vector<PortHolder> holders = ProcessesHolding(device);
    struct stat slave {};
    if (const std::optional<unsigned> index = PtyIndexOf(device); index && ::stat(device.c_str(), &slave) == 0)
        std::erase_if(holders,
                      [&](const PortHolder& holder) { return HoldsOtherEnd(holder.pid, *index, slave); });
    if (holders.empty())
        return LinkMsg::HOLDER_UNKNOWN;
    std::string list;
    for (const PortHolder& holder : holders)
        list += (list.empty() ? "" : ", ") + holder.command + " (PID " + std::to_string(holder.pid) + ")";
    return LinkMsg::HeldBy(list);
}

} // namespace

std::vector<PortHolder> ProcessesHolding(const std::string& path)
{
    std::vector<PortHolder> holders;
    struct stat wanted {};
    if (::stat(path.c_str(), &wanted) != 0)
        return holders;
    std::error_code ec;
    for (const fs::directory_entry& process : fs::directory_iterator(PROC_FOLDER, ec)) {
        if (!IsProcessId(process.path().filename().string()))
            continue;
        std::error_code fdError;
        for (const fs::directory_entry& fd : fs::directory_iterator(process.path() / "fd", fdError)) {
            struct stat open {};
            if (::stat(fd.path().c_str(), &open) == 0 && SameFile(open, wanted)) {
                holders.push_back({static_cast<pid_t>(std::atol(process.path().filename().c_str())),
                                   CommandOf(process.path())});
                break;
            }
        }
    }
    return holders;
}

namespace {

std::string Cause(const std::string& named, const std::string& device, int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return LinkMsg::NoPermission(named);
    case EBUSY:
        return named + LinkMsg::BUSY + Holders(device);
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return LinkMsg::DeviceNotFound(named);
    case EIO:
        return LinkMsg::NoUart(named);
    case ENOTTY:
        return LinkMsg::NotASerialLine(named);
    default:
        return LinkMsg::NotOpened(named, std::strerror(error));
    }
}

} // namespace

std::string PortOpenCause(std::string_view portName, int error)
{
    if (error == 0)
        return {};
    const std::string device = ResolvePortName(portName);
    const std::string named = Named(portName, device);
    // The port name reached its fixed port because its link was not trusted.
    if (ComNumber(portName, PORT_NAME_LAST)) {
        if (const std::string distrust = PortFolderDistrust(); !distrust.empty())
            return distrust + " " + Cause(named, device, error);
    }
    return Cause(named, device, error);
}
