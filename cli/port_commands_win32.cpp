// vemsync's port tools on Windows, where there is nothing to map.

#include "cli/port_commands.h"

#include <cstdio>

#include "cli/exit_code.h"

namespace {

// COMn is the system's own port name there: nothing to list or to map.
int RefusePortTools()
{
    std::fprintf(stderr, "vemsync: на Windows порты не назначаются: COMn — это сам порт системы.\n"
                         "Какие COM-порты есть, показывает Диспетчер устройств (Порты COM и LPT).\n");
    return EXIT_FAILED;
}

} // namespace

int RunPorts()
{
    return RefusePortTools();
}

int RunPortChange(const CliRequest&)
{
    return RefusePortTools();
}
