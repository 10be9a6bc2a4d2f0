// CUdevTestbed: serial devices made up for a test through umockdev.
#pragma once

#include <map>
#include <string>
#include <vector>

struct _UMockdevTestbed;

// Serial devices made up for a test: a fake /sys and udev database that
// libudev reads instead of the machine's, while the test runs under the
// umockdev preload library (CTest starts these suites that way). Every
// device is gone with the object.
class CUdevTestbed {
public:
    CUdevTestbed();
    ~CUdevTestbed();
    CUdevTestbed(const CUdevTestbed&) = delete;
    CUdevTestbed& operator=(const CUdevTestbed&) = delete;

    // Whether the preload library is in place; nothing here works without it.
    static bool Active();

    struct UsbSerial {
        std::string node;         // "ttyUSB0", "ttyACM0"
        std::string usbName;      // the USB device's sysfs name, "1-1"
        std::string byId;         // the /dev/serial/by-id/ link's name; empty: none
        std::string manufacturer;
        std::string product;
        std::string serial;
        std::string vendorId;
        std::string productId;
        std::string driver;       // ftdi_sio (a usb-serial port) or cdc_acm (an ACM interface)
    };
    // Adds the USB device, its interface, the converter's port when the
    // driver is not cdc_acm, and the tty; the syspath of the tty.
    std::string AddUsbSerial(const UsbSerial& device);
    // The same, with the event udev's listeners get when it is plugged in.
    std::string PlugUsbSerial(const UsbSerial& device);
    // An on-board UART port, ttySn, with ("4", a 16550A) or without ("0")
    // hardware behind it. Its node exists either way, as on a real machine.
    std::string AddUart(const std::string& node, const std::string& type);
    // A terminal with no device behind it, such as a virtual console.
    std::string AddVirtualTerminal(const std::string& node);
    // Takes a device away with its nodes and links in /dev and tells udev's
    // listeners, as an unplug does.
    void Unplug(const std::string& syspath);

    // The testbed's stand-in for the root folder (its dev/ and sys/).
    std::string Root() const;

private:
    // An empty file standing for a device node or link in the testbed's /dev.
    void AddDevFile(const std::string& syspath, const std::string& devPath, const std::string& linkTo = {});

    _UMockdevTestbed* m_testbed;
    std::string m_uartParent;
    std::map<std::string, std::vector<std::string>> m_devFiles; // by syspath
    // The devices a tty hangs from, nearest first, which go with it.
    std::map<std::string, std::vector<std::string>> m_parents;

};

// Devices the suites plug in: an FTDI converter with its serial number,
// and a board's ACM port.
extern const CUdevTestbed::UsbSerial FTDI_ADAPTER;
extern const CUdevTestbed::UsbSerial ACM_BOARD;
// The converter's stable name and how it is described.
extern const std::string FTDI_ADAPTER_BY_ID;
extern const std::string FTDI_ADAPTER_TEXT;
