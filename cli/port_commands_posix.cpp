// vemsync's port tools over the port folder and the devices libudev finds.

#include "cli/port_commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_messages.h"
#include "cli/exit_code.h"
#include "link/port_map.h"
#include "link/port_names.h"
#include "link/serial_devices.h"

int RunPorts()
{
    const std::vector<SerialDevice> devices = FindSerialDevices();
    if (const std::string distrust = PortFolderDistrust(); !distrust.empty())
        std::fprintf(stderr, "vemsync: %s\n", distrust.c_str());
    for (const PortTarget& target : ListPortTargets(devices))
        std::printf("%-6s %s\n", target.name.c_str(), DescribeTarget(target).c_str());
    std::printf("\n%s%s\n", CliMsg::DEVICES, devices.empty() ? CliMsg::NO_DEVICES : "");
    for (const SerialDevice& device : devices) {
        std::printf("%s\n", DescribeDevice(device).c_str());
        if (!device.byId.empty())
            std::printf("    %s\n", device.byId.c_str());
    }
    return EXIT_OK;
}

int RunPortChange(const CliRequest& request)
{
    const std::vector<SerialDevice> devices = FindSerialDevices();
    std::string error;
    if (request.action == CliRequest::Action::MapPort) {
        std::string refusal;
        const std::optional<std::string> target = MapTargetFor(request.device, devices, refusal);
        if (!target && !refusal.empty()) {
            std::fprintf(stderr, "vemsync: %s\n", refusal.c_str());
            return EXIT_FAILED;
        }
        if (!target) {
            std::fprintf(stderr, "vemsync: %s\n", CliMsg::DeviceNotFound(request.device).c_str());
            return EXIT_FAILED;
        }
        if (!MapPort(request.port, *target, error)) {
            std::fprintf(stderr, "vemsync: %s\n", error.c_str());
            return EXIT_FAILED;
        }
    } else if (!UnmapPort(request.port, error)) {
        std::fprintf(stderr, "vemsync: %s\n", error.c_str());
        return EXIT_FAILED;
    }
    for (const PortTarget& target : ListPortTargets(devices)) {
        if (target.name == request.port)
            std::printf("%-6s %s\n", target.name.c_str(), DescribeTarget(target).c_str());
    }
    return EXIT_OK;
}
