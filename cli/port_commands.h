// vemsync ports, ports map and ports unmap: the port names and the devices
// behind them.
#pragma once

#include "cli/command_line.h"

// Lists the port names with what each reaches, then the devices found.
int RunPorts();
// Maps or unmaps the request's port, then shows what it reaches now.
int RunPortChange(const CliRequest& request);
