// Why a port did not open, told in Russian, with the processes that hold it.
#include "link/port_open_cause.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>

#include "link/port_names.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* PROC_FOLDER = "/proc";

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

std::string Holders(const std::string& device)
{
    const std::vector<PortHolder> holders = ProcessesHolding(device);
    if (holders.empty())
        return "Его держит открытым другая программа (какая — узнать не удалось: "
               "возможно, она запущена другим пользователем). Закройте её и выберите порт снова.";
    std::string list;
    for (const PortHolder& holder : holders)
        list += (list.empty() ? "" : ", ") + holder.command + " (PID " + std::to_string(holder.pid) + ")";
    return "Его держит открытым: " + list + ". Закройте эту программу и выберите порт снова.";
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

std::string PortOpenCause(std::string_view portName, int error)
{
    if (error == 0)
        return {};
    const std::string device = ResolvePortName(portName);
    const std::string named = Named(portName, device);
    switch (error) {
    case EACCES:
    case EPERM:
        return "Нет прав на доступ к " + named +
               ". Пользователь должен входить в группу dialout: выполните "
               "«sudo adduser $USER dialout», затем выйдите из системы и войдите снова.";
    case EBUSY:
        return named + " занят. " + Holders(device);
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "Устройство " + named + " не найдено: адаптер не подключён или порт назначен "
               "не тому устройству (см. «Настройка портов…» или vemsync ports).";
    case EIO:
        return named + " есть в системе, но не отвечает: у порта нет микросхемы UART или адаптер "
                       "неисправен.";
    case ENOTTY:
        return named + " — не последовательный порт.";
    default:
        return "Не удалось открыть " + named + ": " + std::strerror(error) + ".";
    }
}
