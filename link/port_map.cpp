// The port list's names, the links in the port folder, and the devices they reach.
#include "link/port_map.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "link/port_names.h"

namespace {

constexpr unsigned PORT_COUNT = 10;
constexpr std::string_view DEV_PREFIX = "/dev/";
constexpr std::string_view BY_ID_PREFIX = "/dev/serial/by-id/";
constexpr std::size_t TEMP_NAME_TRIES = 100;

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
    return "«" + std::string(name) + "» — не имя порта из списка (COM1 … COM10)";
}

std::string SystemError(const std::string& what, int error)
{
    return what + ": " + std::strerror(error);
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

std::vector<std::string> PortListNames()
{
    std::vector<std::string> names;
    for (unsigned i = 1; i <= PORT_COUNT; ++i)
        names.push_back("COM" + std::to_string(i));
    return names;
}

std::vector<PortTarget> ListPortTargets(const std::vector<SerialDevice>& devices)
{
    std::vector<PortTarget> targets;
    for (const std::string& name : PortListNames()) {
        PortTarget target;
        target.name = name;
        const std::string entry = EntryPath(name);
        struct stat info {};
        if (::lstat(entry.c_str(), &info) == 0) {
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
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = "Не удалось создать папку портов " + folder + ": " + ec.message();
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
            error = SystemError("Не удалось создать ссылку в " + folder, errno);
            return false;
        }
        temp.clear();
    }
    if (temp.empty()) {
        error = SystemError("Не удалось создать ссылку в " + folder, EEXIST);
        return false;
    }
    if (::rename(temp.c_str(), EntryPath(name).c_str()) != 0) {
        const int cause = errno;
        ::unlink(temp.c_str());
        error = SystemError("Не удалось назначить " + std::string(name), cause);
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
        error = SystemError("Не удалось снять назначение " + std::string(name), errno);
        return false;
    }
    return true;
}

std::optional<std::string> MapTargetFor(const std::string& device, const std::vector<SerialDevice>& devices)
{
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
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(device, ec);
    return ec ? device : absolute.string();
}

namespace {

// "FTDI FT232R USB UART, 0403:6001, серийный номер A10K, драйвер ftdi_sio"
std::string Summary(const SerialDevice& device)
{
    std::string name = device.manufacturer;
    if (!device.product.empty())
        name += (name.empty() ? "" : " ") + device.product;
    std::vector<std::string> parts;
    if (!name.empty())
        parts.push_back(name);
    if (!device.vendorId.empty() || !device.productId.empty())
        parts.push_back(device.vendorId + ":" + device.productId);
    if (!device.serial.empty())
        parts.push_back("серийный номер " + device.serial);
    if (!device.driver.empty())
        parts.push_back("драйвер " + device.driver);
    if (parts.empty())
        parts.push_back("последовательный порт");
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

} // namespace

std::string DescribeDevice(const SerialDevice& device)
{
    return device.node + " — " + Summary(device);
}

std::string DescribeTarget(const PortTarget& target)
{
    std::string text = (target.mapped ? "ссылка на " : "") + target.path;
    if (target.device && target.device->node != target.path)
        text += " → " + target.device->node;
    if (!target.present)
        return text + (target.mapped ? " (нет устройства: не подключено)" : " (нет устройства)");
    if (target.device)
        return text + " (" + Summary(*target.device) + ")";
    return text + " (есть)";
}
