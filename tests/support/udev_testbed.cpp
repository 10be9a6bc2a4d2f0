// CUdevTestbed: made-up serial devices added to umockdev's fake /sys and udev database.
#include "tests/support/udev_testbed.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include <umockdev.h>

namespace {

constexpr const char* BY_ID_FOLDER = "/dev/serial/by-id/";

// The NULL-terminated name/value list umockdev takes.
class NameValues {
public:
    void Add(const std::string& name, const std::string& value)
    {
        if (value.empty())
            return;
        m_texts.push_back(name);
        m_texts.push_back(value);
    }
    gchar** Get()
    {
        m_pointers.clear();
        for (std::string& text : m_texts)
            m_pointers.push_back(text.data());
        m_pointers.push_back(nullptr);
        return m_pointers.data();
    }

private:
    std::vector<std::string> m_texts;
    std::vector<gchar*> m_pointers;
};

std::string Taken(gchar* text)
{
    std::string copy = text != nullptr ? text : "";
    g_free(text);
    return copy;
}

} // namespace

const CUdevTestbed::UsbSerial FTDI_ADAPTER{
    "ttyUSB0", "1-1", "usb-FTDI_FT232R_USB_UART_A10K0XYZ-if00-port0", "FTDI", "FT232R USB UART",
    "A10K0XYZ", "0403", "6001", "ftdi_sio"};
const CUdevTestbed::UsbSerial ACM_BOARD{
    "ttyACM0", "2-1", "usb-Arduino_Uno_7563331-if00", "Arduino", "Uno", "7563331", "2341", "0043", "cdc_acm"};
const std::string FTDI_ADAPTER_BY_ID = BY_ID_FOLDER + FTDI_ADAPTER.byId;
const std::string FTDI_ADAPTER_TEXT = "FTDI FT232R USB UART, 0403:6001, серийный номер A10K0XYZ, драйвер ftdi_sio";

CUdevTestbed::CUdevTestbed() : m_testbed(umockdev_testbed_new()) {}

CUdevTestbed::~CUdevTestbed()
{
    g_object_unref(m_testbed);
}

bool CUdevTestbed::Active()
{
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr && std::string_view(preload).find("libumockdev-preload") != std::string_view::npos;
}

void CUdevTestbed::AddDevFile(const std::string& syspath, const std::string& devPath, const std::string& linkTo)
{
    const std::filesystem::path file = Root() + devPath;
    std::filesystem::create_directories(file.parent_path());
    if (linkTo.empty())
        std::ofstream{file};
    else
        std::filesystem::create_symlink(linkTo, file);
    m_devFiles[syspath].push_back(file.string());
}

std::string CUdevTestbed::Root() const
{
    return Taken(umockdev_testbed_get_root_dir(m_testbed));
}

std::string CUdevTestbed::AddUsbSerial(const UsbSerial& device)
{
    NameValues usbAttributes;
    usbAttributes.Add("idVendor", device.vendorId);
    usbAttributes.Add("idProduct", device.productId);
    usbAttributes.Add("manufacturer", device.manufacturer);
    usbAttributes.Add("product", device.product);
    usbAttributes.Add("serial", device.serial);
    NameValues usbProperties;
    usbProperties.Add("DEVTYPE", "usb_device");
    const std::string usb = Taken(umockdev_testbed_add_devicev(
        m_testbed, "usb", device.usbName.c_str(), nullptr, usbAttributes.Get(), usbProperties.Get()));

    NameValues none;
    NameValues interfaceProperties;
    interfaceProperties.Add("DEVTYPE", "usb_interface");
    const std::string interface = Taken(umockdev_testbed_add_devicev(
        m_testbed, "usb", (device.usbName + ":1.0").c_str(), usb.c_str(), none.Get(),
        interfaceProperties.Get()));

    // An ACM tty hangs off its interface, which cdc_acm drives; a converter's
    // tty off the usb-serial port that its own driver drives.
    std::string parent = interface;
    if (device.driver != "cdc_acm") {
        parent = Taken(umockdev_testbed_add_devicev(m_testbed, "usb-serial", device.node.c_str(),
                                                    interface.c_str(), none.Get(), none.Get()));
    }
    umockdev_testbed_set_attribute_link(m_testbed, parent.c_str(), "driver",
                                        ("../../../../bus/usb/drivers/" + device.driver).c_str());

    NameValues ttyProperties;
    ttyProperties.Add("DEVNAME", "/dev/" + device.node);
    if (!device.byId.empty())
        ttyProperties.Add("DEVLINKS", BY_ID_FOLDER + device.byId + " /dev/serial/by-path/pci-0000:00:14.0-usb-0:" +
                                          device.usbName + ":1.0");
    const std::string tty = Taken(umockdev_testbed_add_devicev(
        m_testbed, "tty", device.node.c_str(), parent.c_str(), none.Get(), ttyProperties.Get()));
    AddDevFile(tty, "/dev/" + device.node);
    if (!device.byId.empty())
        AddDevFile(tty, BY_ID_FOLDER + device.byId, "../../" + device.node);
    m_parents[tty] = parent == interface ? std::vector<std::string>{interface, usb}
                                         : std::vector<std::string>{parent, interface, usb};
    return tty;
}

std::string CUdevTestbed::PlugUsbSerial(const UsbSerial& device)
{
    const std::string tty = AddUsbSerial(device);
    umockdev_testbed_uevent(m_testbed, tty.c_str(), "add");
    return tty;
}

std::string CUdevTestbed::AddUart(const std::string& node, const std::string& type)
{
    NameValues none;
    if (m_uartParent.empty()) {
        m_uartParent = Taken(umockdev_testbed_add_devicev(m_testbed, "platform", "serial8250", nullptr,
                                                          none.Get(), none.Get()));
        umockdev_testbed_set_attribute_link(m_testbed, m_uartParent.c_str(), "driver",
                                            "../../bus/platform/drivers/serial8250");
    }
    NameValues attributes;
    attributes.Add("type", type);
    NameValues properties;
    properties.Add("DEVNAME", "/dev/" + node);
    const std::string tty = Taken(umockdev_testbed_add_devicev(
        m_testbed, "tty", node.c_str(), m_uartParent.c_str(), attributes.Get(), properties.Get()));
    AddDevFile(tty, "/dev/" + node);
    return tty;
}

std::string CUdevTestbed::AddVirtualTerminal(const std::string& node)
{
    NameValues none;
    NameValues properties;
    properties.Add("DEVNAME", "/dev/" + node);
    const std::string tty = Taken(
        umockdev_testbed_add_devicev(m_testbed, "tty", node.c_str(), nullptr, none.Get(), properties.Get()));
    AddDevFile(tty, "/dev/" + node);
    return tty;
}

void CUdevTestbed::Unplug(const std::string& syspath)
{
    for (const std::string& file : m_devFiles[syspath])
        std::filesystem::remove(file);
    m_devFiles.erase(syspath);
    umockdev_testbed_uevent(m_testbed, syspath.c_str(), "remove");
    umockdev_testbed_remove_device(m_testbed, syspath.c_str());
    for (const std::string& parent : m_parents[syspath])
        umockdev_testbed_remove_device(m_testbed, parent.c_str());
    m_parents.erase(syspath);
}
