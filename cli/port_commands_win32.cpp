// vemsync's port tools on Windows, where there is nothing to map.

#include "cli/port_commands.h"

#include <cstdio>

#include "cli/cli_messages.h"
#include "cli/exit_code.h"

namespace {

// COMn is the system's own port name there: nothing to list or to map.
int RefusePortTools()
{
    std::fprintf(stderr, "vemsync: %s\n", CliMsg::NO_MAPPING_HERE);
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
