// The serial devices found through udev, and the monitor of their coming and going.
#include "link/serial_devices.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include <libudev.h>

namespace {

constexpr const char* TTY_SUBSYSTEM = "tty";
constexpr std::string_view SERIAL_CORE_SUBSYSTEM = "serial-base";
constexpr std::string_view BY_ID_PREFIX = "/dev/serial/by-id/";
// A serial-core port whose "type" is 0 has no UART behind it: the kernel
// keeps ttyS0 … ttyS31 whether or not the hardware is there.
constexpr std::string_view NO_UART_TYPE = "0";

struct UdevUnref {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevUnref>;

std::string Text(const char* value)
{
    return value != nullptr ? std::string(value) : std::string();
}

std::string SysAttr(udev_device* device, const char* name)
{
    return device != nullptr ? Text(udev_device_get_sysattr_value(device, name)) : std::string();
}

std::string Property(udev_device* device, const char* name)
{
    return Text(udev_device_get_property_value(device, name));
}

std::string ByIdLink(udev_device* device)
{
    const std::string links = Property(device, "DEVLINKS");
    std::size_t start = 0;
    while (start < links.size()) {
        std::size_t end = links.find(' ', start);
        if (end == std::string::npos)
            end = links.size();
        const std::string_view link = std::string_view(links).substr(start, end - start);
        if (link.starts_with(BY_ID_PREFIX))
            return std::string(link);
        start = end + 1;
    }
    return {};
}

// The driver of the nearest ancestor that has one: the USB serial converter,
// the ACM interface or the platform UART. The serial core's own port and
// controller devices in between say nothing about the hardware.
std::string DriverOf(udev_device* device)
{
    for (udev_device* d = udev_device_get_parent(device); d != nullptr; d = udev_device_get_parent(d)) {
        const char* subsystem = udev_device_get_subsystem(d);
        if (subsystem != nullptr && std::string_view(subsystem) == SERIAL_CORE_SUBSYSTEM)
            continue;
        if (const char* driver = udev_device_get_driver(d))
            return driver;
    }
    return {};
}

SerialDevice Describe(udev_device* device, const char* node)
{
    SerialDevice found;
    found.node = node;
    found.byId = ByIdLink(device);
    udev_device* usb = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
    // What the USB device says of itself; a UART on the board has none of it.
    found.manufacturer = SysAttr(usb, "manufacturer");
    found.product = SysAttr(usb, "product");
    found.serial = SysAttr(usb, "serial");
    found.vendorId = SysAttr(usb, "idVendor");
    found.productId = SysAttr(usb, "idProduct");
    found.driver = DriverOf(device);
    return found;
}

// Terminals with no device behind them (consoles, pseudo-terminals) have no
// parent; neither has a serial-core port without a UART a real type.
bool IsRealSerialDevice(udev_device* device)
{
    if (udev_device_get_parent(device) == nullptr)
        return false;
    const char* type = udev_device_get_sysattr_value(device, "type");
    return type == nullptr || std::string_view(type) != NO_UART_TYPE;
}

// "ttyUSB10" after "ttyUSB9": runs of digits compare by value.
bool NaturalLess(const std::string& a, const std::string& b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
        const bool db = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
        if (da && db) {
            std::size_t ei = i;
            std::size_t ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei])))
                ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej])))
                ++ej;
            const std::string_view na = std::string_view(a).substr(i, ei - i);
            const std::string_view nb = std::string_view(b).substr(j, ej - j);
            if (na.size() != nb.size())
                return na.size() < nb.size();
            if (na != nb)
                return na < nb;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

} // namespace

std::vector<SerialDevice> FindSerialDevices()
{
    std::vector<SerialDevice> devices;
    const UdevPtr<udev> context(udev_new());
    if (!context)
        return devices;
    const UdevPtr<udev_enumerate> enumerate(udev_enumerate_new(context.get()));
    if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), TTY_SUBSYSTEM) < 0 ||
        udev_enumerate_scan_devices(enumerate.get()) < 0)
        return devices;

    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get()))
    {
        const UdevPtr<udev_device> device(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!device)
            continue;
        const char* node = udev_device_get_devnode(device.get());
        if (node == nullptr || !IsRealSerialDevice(device.get()))
            continue;
        devices.push_back(Describe(device.get(), node));
    }
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return NaturalLess(a.node, b.node); });
    return devices;
}

struct CSerialDeviceMonitor::State {
    UdevPtr<udev> context;
    UdevPtr<udev_monitor> monitor;
};

CSerialDeviceMonitor::CSerialDeviceMonitor() : m_state(std::make_unique<State>())
{
    m_state->context.reset(udev_new());
    if (!m_state->context)
        return;
    m_state->monitor.reset(udev_monitor_new_from_netlink(m_state->context.get(), "udev"));
    if (!m_state->monitor)
        return;
    if (udev_monitor_filter_add_match_subsystem_devtype(m_state->monitor.get(), TTY_SUBSYSTEM, nullptr) < 0 ||
        udev_monitor_enable_receiving(m_state->monitor.get()) < 0)
        m_state->monitor.reset();
}

CSerialDeviceMonitor::~CSerialDeviceMonitor() = default;

int CSerialDeviceMonitor::Fd() const
{
    return m_state->monitor ? udev_monitor_get_fd(m_state->monitor.get()) : -1;
}

bool CSerialDeviceMonitor::TakeEvent()
{
    if (!m_state->monitor)
        return false;
    // The monitor's socket is non-blocking: nothing waiting gives nullptr.
    const UdevPtr<udev_device> device(udev_monitor_receive_device(m_state->monitor.get()));
    return device != nullptr;
}
