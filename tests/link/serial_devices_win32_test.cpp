// Tests of the Windows device manager's serial ports: USB ids, and what each port name reaches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "link/port_map.h"
#include "link/serial_devices.h"

namespace {

struct IdsRow {
    const char* name;
    const char* hardwareId;
    const char* vendorId;
    const char* productId;
};

TEST(SerialDevicesWin32, UsbIdsComeFromTheHardwareId)
{
    const IdsRow rows[] = {
        {"CH340 through the USB bus", "USB\\VID_1A86&PID_7523&REV_0264", "1A86", "7523"},
        {"FTDI's own bus, joined by a plus", "FTDIBUS\\VID_0403+PID_6001+A10K0AB4A\\0000", "0403", "6001"},
        {"FTDI port id", "FTDIBUS\\COMPORT&VID_0403&PID_6001", "0403", "6001"},
        {"lower case", "usb\\vid_067b&pid_2303", "067B", "2303"},
        {"ACM interface", "USB\\VID_2341&PID_0043&MI_00", "2341", "0043"},
        {"port on the board", "ACPI\\PNP0501", "", ""},
        {"vendor without product", "USB\\VID_1A86", "", ""},
        {"id cut short", "USB\\VID_1A86&PID_75", "", ""},
        {"not hex", "USB\\VID_XYZW&PID_7523", "", ""},
        {"empty", "", "", ""},
    };
    for (const IdsRow& row : rows) {
        const UsbIds ids = UsbIdsOf(row.hardwareId);
        EXPECT_EQ(ids.vendorId, row.vendorId) << row.name << ": " << row.hardwareId;
        EXPECT_EQ(ids.productId, row.productId) << row.name << ": " << row.hardwareId;
    }
}

TEST(SerialDevicesWin32, FoundPortsAreComNamesInNumberOrder)
{
    const std::vector<SerialDevice> devices = FindSerialDevices();
    for (std::size_t i = 0; i < devices.size(); ++i) {
        ASSERT_EQ(devices[i].node.rfind("COM", 0), 0u) << devices[i].node;
        if (i > 0) {
            EXPECT_LT(std::stoi(devices[i - 1].node.substr(3)), std::stoi(devices[i].node.substr(3)));
        }
    }
}

TEST(PortMapWin32, EachNameReachesItsOwnPortWithTheDeviceManagersWords)
{
    SerialDevice adapter;
    adapter.node = "COM3";
    adapter.manufacturer = "wch.cn";
    adapter.product = "USB-SERIAL CH340 (COM3)";
    adapter.hardwareId = "USB\\VID_1A86&PID_7523&REV_0264";
    adapter.vendorId = "1A86";
    adapter.productId = "7523";
    adapter.driver = "CH341SER_A64";
    SerialDevice beyond = adapter;
    beyond.node = "COM12";

    const std::vector<PortTarget> targets = ListPortTargets({adapter, beyond});
    ASSERT_EQ(targets.size(), 10u);
    for (const PortTarget& target : targets) {
        EXPECT_EQ(target.path, target.name);
        EXPECT_FALSE(target.mapped) << target.name;
        EXPECT_EQ(target.device.has_value(), target.name == "COM3") << target.name;
    }
    const PortTarget& third = targets[2];
    EXPECT_TRUE(third.present);
    EXPECT_EQ(DescribeTarget(third), "COM3 (wch.cn USB-SERIAL CH340 (COM3), код оборудования "
                                     "USB\\VID_1A86&PID_7523&REV_0264, драйвер CH341SER_A64)");
    EXPECT_EQ(DescribeDevice(beyond), "COM12 — wch.cn USB-SERIAL CH340 (COM3), код оборудования "
                                      "USB\\VID_1A86&PID_7523&REV_0264, драйвер CH341SER_A64");
}

// A port no device manager entry lists (a virtual one, or wine's) is there
// as long as the system has a device of its name.
TEST(PortMapWin32, APortIsPresentWhileTheSystemHasItsName)
{
    const auto ninth = [] { return ListPortTargets({})[8]; };
    ASSERT_EQ(ninth().name, "COM9");
    ASSERT_FALSE(ninth().present) << "this machine has a COM9 of its own";
    ASSERT_TRUE(::DefineDosDeviceW(DDD_RAW_TARGET_PATH, L"COM9", L"\\Device\\Null"));
    EXPECT_TRUE(ninth().present);
    EXPECT_EQ(DescribeTarget(ninth()), "COM9 (есть)");
    ASSERT_TRUE(::DefineDosDeviceW(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE,
                                   L"COM9", L"\\Device\\Null"));
    EXPECT_FALSE(ninth().present);
    EXPECT_EQ(DescribeTarget(ninth()), "COM9 (нет устройства)");
}

} // namespace
