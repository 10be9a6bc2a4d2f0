// The port list's names, and the words that describe a device and what a port name reaches.
#include "link/port_map.h"

#include "link/link_messages.h"

namespace {

constexpr unsigned PORT_COUNT = 10;

// "FTDI FT232R USB UART, 0403:6001, серийный номер A10K, драйвер ftdi_sio";
// on Windows the hardware id stands for the two ids it holds.
std::string Summary(const SerialDevice& device)
{
    std::string name = device.manufacturer;
    if (!device.product.empty())
        name += (name.empty() ? "" : " ") + device.product;
    std::vector<std::string> parts;
    if (!name.empty())
        parts.push_back(name);
    if (!device.hardwareId.empty())
        parts.push_back(LinkMsg::HARDWARE_ID + device.hardwareId);
    else if (!device.vendorId.empty() || !device.productId.empty())
        parts.push_back(device.vendorId + ":" + device.productId);
    if (!device.serial.empty())
        parts.push_back(LinkMsg::SERIAL_NUMBER + device.serial);
    if (!device.driver.empty())
        parts.push_back(LinkMsg::DRIVER + device.driver);
    if (parts.empty())
        parts.push_back(LinkMsg::ANY_SERIAL_PORT);
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

} // namespace

std::vector<std::string> PortListNames()
{
    std::vector<std::string> names;
    for (unsigned i = 1; i <= PORT_COUNT; ++i)
        names.push_back("COM" + std::to_string(i));
    return names;
}

std::string DescribeDevice(const SerialDevice& device)
{
    return device.node + " — " + Summary(device);
}

std::string DescribeTarget(const PortTarget& target)
{
    std::string text = (target.mapped ? LinkMsg::LINK_TO : "") + target.path;
    if (target.device && target.device->node != target.path)
        text += " → " + target.device->node;
    if (!target.present)
        return text + (target.mapped ? LinkMsg::MAPPED_ABSENT : LinkMsg::ABSENT);
    if (target.device)
        return text + " (" + Summary(*target.device) + ")";
    return text + LinkMsg::PRESENT;
}
