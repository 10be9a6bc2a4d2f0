// CliRequest: what the command line asks of vemsync, and the help for it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/data_kind.h"

// What the command line asks of vemsync.
struct CliRequest {
    enum class Action {
        Help, Read, Write, Check, Import, Export, Compare, Ports, MapPort, UnmapPort
    };
    using Kind = DataKind;

    Action action = Action::Help;
    Kind kind = Kind::Parameters;
    std::string number;  // program or subprogram number, as typed
    std::string file;    // the program or parameter file
    std::string image;   // import's output, export's input
    std::string port = "COM1"; // also the port name a mapping changes
    std::string device;        // what `ports map` links the port name to
    std::string trace;         // where --trace writes the line's trace; empty: none
    bool noClobber = false;
    // Write and check: go on although some lines are not stored as written.
    bool acceptRewrites = false;
    // Write: read the data back afterwards and compare.
    bool verify = false;
    // The subcommand whose help was asked for; empty for the whole tool.
    std::string helpTopic;
};

// The parsed request, or nothing with `error` set to a one-line reason.
// Options may stand anywhere after the program's name.
std::optional<CliRequest> ParseCommandLine(const std::vector<std::string>& args, std::string& error);

// The help text for the tool ("") or one subcommand.
std::string HelpText(const std::string& topic);
