// Tests of serial device discovery and monitoring over udev devices made up with umockdev.
#include <gtest/gtest.h>

#include <poll.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/port_map.h"
#include "link/serial_devices.h"
#include "tests/support/udev_testbed.h"

namespace {

using Clock = std::chrono::steady_clock;

// A board whose maker's name has blanks and brackets.
const CUdevTestbed::UsbSerial ARDUINO_BOARD{
    "ttyACM0", "2-1", "usb-Arduino__www.arduino.cc__0043_7563331-if00", "Arduino (www.arduino.cc)", "Uno",
    "7563331", "2341", "0043", "cdc_acm"};
// An adapter that gives no serial number has no by-id link.
const CUdevTestbed::UsbSerial ANONYMOUS_ADAPTER{"ttyUSB10", "1-2", "", "", "USB2.0-Ser!", "", "1a86", "7523", "ch341"};

class SerialDevices : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CUdevTestbed::Active()) << "run under umockdev-wrapper"; }
    CUdevTestbed m_testbed;
};

std::string Fields(const SerialDevice& d)
{
    return d.node + "|" + d.byId + "|" + d.manufacturer + "|" + d.product + "|" + d.serial + "|" +
           d.vendorId + ":" + d.productId + "|" + d.driver;
}

TEST_F(SerialDevices, FindsAdaptersAndRealUartsWithWhatAPersonRecognises)
{
    m_testbed.AddUsbSerial(ANONYMOUS_ADAPTER);
    m_testbed.AddUsbSerial(FTDI_ADAPTER);
    m_testbed.AddUsbSerial(ARDUINO_BOARD);
    m_testbed.AddUart("ttyS0", "4");
    m_testbed.AddUart("ttyS1", "0");
    m_testbed.AddUart("ttyS2", "4");
    m_testbed.AddVirtualTerminal("tty5");

    std::vector<std::string> found;
    for (const SerialDevice& device : FindSerialDevices())
        found.push_back(Fields(device));
    const std::vector<std::string> expected{
        "/dev/ttyACM0|/dev/serial/by-id/usb-Arduino__www.arduino.cc__0043_7563331-if00|"
        "Arduino (www.arduino.cc)|Uno|7563331|2341:0043|cdc_acm",
        "/dev/ttyS0|||||:|serial8250",
        "/dev/ttyS2|||||:|serial8250",
        "/dev/ttyUSB0|/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K0XYZ-if00-port0|FTDI|FT232R USB UART|"
        "A10K0XYZ|0403:6001|ftdi_sio",
        "/dev/ttyUSB10|||USB2.0-Ser!||1a86:7523|ch341",
    };
    EXPECT_EQ(found, expected);
}

TEST_F(SerialDevices, NoDevicesGiveAnEmptyList)
{
    m_testbed.AddVirtualTerminal("tty1");
    m_testbed.AddUart("ttyS0", "0");
    EXPECT_TRUE(FindSerialDevices().empty());
}

TEST_F(SerialDevices, AnUnplugReachesTheMonitorAndLeavesTheList)
{
    const std::string adapter = m_testbed.AddUsbSerial(FTDI_ADAPTER);
    m_testbed.AddUsbSerial(ARDUINO_BOARD);
    CSerialDeviceMonitor monitor;
    ASSERT_GE(monitor.Fd(), 0);
    EXPECT_FALSE(monitor.TakeEvent()) << "nothing happened yet";
    ASSERT_EQ(FindSerialDevices().size(), 2u);

    m_testbed.Unplug(adapter);
    pollfd waiter{monitor.Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&waiter, 1, 10000), 1) << "no event within 10 s";
    EXPECT_TRUE(monitor.TakeEvent());
    const std::vector<SerialDevice> left = FindSerialDevices();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].node, "/dev/ttyACM0");
}

struct TargetRow {
    const char* name;
    std::string typed;
    std::optional<std::string> expected;
};

TEST_F(SerialDevices, AMapTargetIsTheStableNameOfWhatWasTyped)
{
    m_testbed.AddUsbSerial(FTDI_ADAPTER);
    m_testbed.AddUsbSerial(ANONYMOUS_ADAPTER);
    const std::vector<SerialDevice> devices = FindSerialDevices();
    const std::string byId = "/dev/serial/by-id/" + FTDI_ADAPTER.byId;
    const TargetRow rows[] = {
        {"node", "/dev/ttyUSB0", byId},
        {"node without /dev", "ttyUSB0", byId},
        {"by-id path", byId, byId},
        {"by-id name alone", FTDI_ADAPTER.byId, byId},
        {"device without by-id keeps its node", "ttyUSB10", "/dev/ttyUSB10"},
        {"a node of another number", "ttyUSB1", std::nullopt},
        {"nothing there", "/nonexistent/ttyUSB0", std::nullopt},
        {"another existing path is taken as it is", "/tmp", "/tmp"},
    };
    for (const TargetRow& row : rows)
        EXPECT_EQ(MapTargetFor(row.typed, devices), row.expected) << row.name << ": " << row.typed;
}

} // namespace
