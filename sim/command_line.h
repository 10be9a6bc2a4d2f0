// The options of vem730-sim and the parser of its command line.
#pragma once

#include <string>
#include <vector>

#include "sim/sim_options.h"

// The options of vem730-sim.
struct CommandLine {
    SimOptions options;
    std::string portName; // empty: publish no port name
    bool help = false;
};

// Parses the arguments after the program name. False with a one-line
// `error` on an unknown option, a missing value or a value out of range.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

std::string HelpText();
