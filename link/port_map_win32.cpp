// What each port name of the list reaches on Windows: the port of that name itself.
#include "link/port_map.h"

#include <windows.h>

#include "platform/win32_text.h"

namespace {

// Whether the system has a device of this name: every serial port, the
// ones no device manager entry lists (virtual ports, wine's) included, has
// its name among the system's DOS device names.
bool PortExists(const std::string& name)
{
    wchar_t target[MAX_PATH] = {};
    return ::QueryDosDeviceW(WideOf(name).c_str(), target, MAX_PATH) != 0;
}

} // namespace

std::vector<PortTarget> ListPortTargets(const std::vector<SerialDevice>& devices)
{
    std::vector<PortTarget> targets;
    for (const std::string& name : PortListNames()) {
        PortTarget target;
        target.name = name;
        target.path = name;
        for (const SerialDevice& device : devices) {
            if (device.node == name)
                target.device = device;
        }
        target.present = target.device.has_value() || PortExists(name);
        targets.push_back(std::move(target));
    }
    return targets;
}
