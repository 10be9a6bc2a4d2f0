// The port map: which device each port name of the list reaches, and how to change it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/serial_devices.h"

// What a port name of the port list reaches now.
struct PortTarget {
    std::string name;   // "COM1" … "COM10"
    std::string path;   // the link's target, or the fixed /dev/ttyS port; on Windows the name
    bool mapped = false;  // a link in the port folder decides, not the fixed port
    bool present = false; // something is there to open
    // The device found at `path`, when it is one of `devices`.
    std::optional<SerialDevice> device;
};

// The port names of the list, in list order.
std::vector<std::string> PortListNames();

// What each port name reaches, in list order. A fixed /dev/ttyS port counts
// as present only when it is one of `devices` (the kernel keeps nodes for
// UARTs that are not there); any other target when it can be reached. On
// Windows COMn is the port itself, present when the system has a port of
// that name, whether or not the device manager lists its device.
std::vector<PortTarget> ListPortTargets(const std::vector<SerialDevice>& devices);

#ifndef _WIN32

// Links `name` ("COMn") to `target` in the port folder, creating the folder
// when needed; an existing link of that name is replaced atomically (a
// link under a temporary name, then a rename). False with `error` set
// (Russian, for the user) on failure.
bool MapPort(std::string_view name, const std::string& target, std::string& error);

// Removes the link of `name`, so that it reaches its fixed port again.
// Nothing to remove is no failure.
bool UnmapPort(std::string_view name, std::string& error);

// What `device` names, as typed by a user: a node (/dev/ttyUSB0 or
// ttyUSB0) or by-id name (full or its last part) of one of `devices` gives
// that device's stable name; any other path is taken as it is (made
// absolute) when it is a serial line: a character device that answers the
// terminal calls. Nothing when it names nothing, or, with `refusal` saying
// why, when it is something else.
std::optional<std::string> MapTargetFor(const std::string& device, const std::vector<SerialDevice>& devices,
                                        std::string& refusal);
#endif

// One line for a person: "/dev/ttyUSB0 — FTDI FT232R USB UART, 0403:6001,
// серийный номер A10K, драйвер ftdi_sio".
std::string DescribeDevice(const SerialDevice& device);
// "/dev/serial/by-id/… (подключён: /dev/ttyUSB0 — …)", "/dev/ttyS3
// (нет устройства)", and so on: what the name reaches, and whether it is there.
std::string DescribeTarget(const PortTarget& target);
