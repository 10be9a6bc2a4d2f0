// The serial devices present on this machine as the system knows them, and their changes.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A serial device present on this machine, as udev (or on Windows the
// device manager) knows it: a USB or ACM adapter, or an on-board UART that
// really has hardware behind it. Fields the device does not report are empty.
struct SerialDevice {
    std::string node;         // /dev/ttyUSB0; on Windows the port, COM5
    std::string byId;         // /dev/serial/by-id/usb-…-port0, stable across replugging
    std::string manufacturer; // as the device (or its driver) names its maker
    std::string product;      // on Windows the friendly name, "USB-SERIAL CH340 (COM5)"
    std::string serial;
    std::string vendorId;     // four hex digits, "0403"
    std::string productId;    // four hex digits, "6001"
    std::string driver;       // ftdi_sio, cdc_acm, serial8250; on Windows the service, FTDIBUS
    std::string hardwareId;   // Windows only: "USB\VID_1A86&PID_7523&REV_0264"

    // What a port name should be linked to: the by-id name when there is
    // one, so that a replugged adapter keeps its port, else the node.
    const std::string& StableName() const { return byId.empty() ? node : byId; }
};

// Every serial device present, in the order of their node names with
// numbers compared as numbers (ttyS2 before ttyS10, COM2 before COM10).
// Empty when udev (the device manager) cannot be asked.
std::vector<SerialDevice> FindSerialDevices();

#ifdef _WIN32
// The USB vendor and product ids within a Windows hardware id, upper case:
// "USB\VID_1A86&PID_7523&REV_0264" and "FTDIBUS\COMPORT&VID_0403&PID_6001"
// give them, an id of a port on the board ("ACPI\PNP0501") does not.
struct UsbIds {
    std::string vendorId;
    std::string productId;
};
UsbIds UsbIdsOf(std::string_view hardwareId);
#else

// Tells when serial devices come or go. Fd() is readable when an event is
// waiting; TakeEvent() takes it without blocking.
class CSerialDeviceMonitor {
public:
    CSerialDeviceMonitor();
    ~CSerialDeviceMonitor();
    CSerialDeviceMonitor(const CSerialDeviceMonitor&) = delete;
    CSerialDeviceMonitor& operator=(const CSerialDeviceMonitor&) = delete;

    // -1 when no monitor could be set up.
    int Fd() const;
    // True when a serial device event was taken, false when none was waiting.
    bool TakeEvent();

private:
    struct State;
    std::unique_ptr<State> m_state;
};
#endif
