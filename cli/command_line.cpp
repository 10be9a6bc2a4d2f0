// vemsync's arguments read into a CliRequest, and the help text of each command.
#include "cli/command_line.h"

#include <algorithm>

namespace {

bool IsDigits(const std::string& text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Longest number the dialog's number field takes.
constexpr std::size_t NUMBER_DIGITS = 2;

bool IsCommand(const std::string& word)
{
    return word == "read" || word == "write" || word == "check" || word == "import" ||
           word == "export" || word == "compare" || word == "ports";
}

} // namespace

std::optional<CliRequest> ParseCommandLine(const std::vector<std::string>& args, std::string& error)
{
    CliRequest request;
    std::vector<std::string> positional;
    bool help = false;
    bool subprogram = false;
    bool portGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            positional.insert(positional.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        if (arg == "-h" || arg == "--help") {
            help = true;
        } else if (arg == "--no-clobber") {
            request.noClobber = true;
        } else if (arg == "--accept-rewrites") {
            request.acceptRewrites = true;
        } else if (arg == "--verify") {
            request.verify = true;
        } else if (arg == "--subprogram") {
            subprogram = true;
        } else if (arg == "--port" || arg.rfind("--port=", 0) == 0) {
            if (arg == "--port") {
                if (i + 1 >= args.size()) {
                    error = "--port needs a port name (COM1 … COM10) or a device path";
                    return std::nullopt;
                }
                request.port = args[++i];
            } else {
                request.port = arg.substr(std::string("--port=").size());
            }
            if (request.port.empty()) {
                error = "--port needs a port name (COM1 … COM10) or a device path";
                return std::nullopt;
            }
            portGiven = true;
        } else if (arg == "--trace" || arg.rfind("--trace=", 0) == 0) {
            if (arg == "--trace")
                request.trace = i + 1 < args.size() ? args[++i] : "";
            else
                request.trace = arg.substr(std::string("--trace=").size());
            if (request.trace.empty()) {
                error = "--trace needs a file name";
                return std::nullopt;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else {
            positional.push_back(arg);
        }
    }

    if (positional.empty()) {
        if (help)
            return request;
        error = "no command given (read, write, compare, check, import, export, ports); see vemsync "
                "--help";
        return std::nullopt;
    }
    const std::string command = positional[0];
    if (help) {
        if (!IsCommand(command)) {
            error = "unknown command \"" + command + "\"; see vemsync --help";
            return std::nullopt;
        }
        request.helpTopic = command;
        return request;
    }

    const auto expect = [&](std::size_t count, const char* usage) {
        if (positional.size() == count)
            return true;
        error = std::string(positional.size() < count ? "missing arguments" : "too many arguments") +
                ": usage: vemsync " + usage;
        return false;
    };

    if (command == "read" || command == "write" || command == "compare") {
        request.action = command == "read"    ? CliRequest::Action::Read
                         : command == "write" ? CliRequest::Action::Write
                                              : CliRequest::Action::Compare;
        if (positional.size() < 2) {
            error = "missing data kind: usage: vemsync " + command + " params|program N|subprogram N FILE";
            return std::nullopt;
        }
        const std::string& kind = positional[1];
        if (kind == "params") {
            request.kind = CliRequest::Kind::Parameters;
            if (!expect(3, (command + " params FILE").c_str()))
                return std::nullopt;
            request.file = positional[2];
        } else if (kind == "program" || kind == "subprogram") {
            request.kind = kind == "program" ? CliRequest::Kind::Program : CliRequest::Kind::Subprogram;
            if (!expect(4, (command + " " + kind + " N FILE").c_str()))
                return std::nullopt;
            request.number = positional[2];
            if (!IsDigits(request.number) || request.number.size() > NUMBER_DIGITS) {
                error = "the " + kind + " number must be one or two digits, not \"" + request.number + "\"";
                return std::nullopt;
            }
            request.file = positional[3];
        } else {
            error = "unknown data kind \"" + kind + "\" (params, program, subprogram)";
            return std::nullopt;
        }
        if (request.noClobber && request.action != CliRequest::Action::Read) {
            error = "--no-clobber applies to read only";
            return std::nullopt;
        }
        if (request.verify && request.action != CliRequest::Action::Write) {
            error = "--verify applies to write only";
            return std::nullopt;
        }
        if (request.acceptRewrites && request.action != CliRequest::Action::Write) {
            error = "--accept-rewrites applies to write and check only";
            return std::nullopt;
        }
        if (subprogram) {
            error = "--subprogram applies to check and import; use \"subprogram N\" here";
            return std::nullopt;
        }
        return request;
    }

    if (request.noClobber) {
        error = "--no-clobber applies to read only";
        return std::nullopt;
    }
    if (portGiven) {
        error = "--port applies to read, write and compare only";
        return std::nullopt;
    }
    if (request.verify) {
        error = "--verify applies to write only";
        return std::nullopt;
    }
    if (request.acceptRewrites && command != "check") {
        error = "--accept-rewrites applies to write and check only";
        return std::nullopt;
    }
    if (!request.trace.empty()) {
        error = "--trace applies to read, write and compare only";
        return std::nullopt;
    }
    if (command == "ports") {
        if (subprogram) {
            error = "--subprogram applies to check and import";
            return std::nullopt;
        }
        if (positional.size() == 1) {
            request.action = CliRequest::Action::Ports;
            return request;
        }
        const std::string& change = positional[1];
        if (change == "map") {
            request.action = CliRequest::Action::MapPort;
            if (!expect(4, "ports map COMn DEVICE"))
                return std::nullopt;
            request.port = positional[2];
            request.device = positional[3];
        } else if (change == "unmap") {
            request.action = CliRequest::Action::UnmapPort;
            if (!expect(3, "ports unmap COMn"))
                return std::nullopt;
            request.port = positional[2];
        } else {
            error = "unknown ports command \"" + change + "\" (map, unmap)";
            return std::nullopt;
        }
        return request;
    }
    request.kind = subprogram ? CliRequest::Kind::Subprogram : CliRequest::Kind::Program;
    if (command == "check") {
        request.action = CliRequest::Action::Check;
        if (!expect(2, "check FILE [--subprogram]"))
            return std::nullopt;
        request.file = positional[1];
    } else if (command == "import") {
        request.action = CliRequest::Action::Import;
        if (!expect(3, "import FILE IMAGE [--subprogram]"))
            return std::nullopt;
        request.file = positional[1];
        request.image = positional[2];
    } else if (command == "export") {
        request.action = CliRequest::Action::Export;
        if (subprogram) {
            error = "--subprogram applies to check and import";
            return std::nullopt;
        }
        if (!expect(3, "export IMAGE FILE"))
            return std::nullopt;
        request.image = positional[1];
        request.file = positional[2];
    } else {
        error = "unknown command \"" + command + "\"; see vemsync --help";
        return std::nullopt;
    }
    return request;
}

std::string HelpText(const std::string& topic)
{
    if (topic == "read")
        return "usage: vemsync read params FILE [--port NAME] [--no-clobber]\n"
               "       vemsync read program N FILE [--port NAME] [--no-clobber]\n"
               "       vemsync read subprogram N FILE [--port NAME] [--no-clobber]\n"
               "\n"
               "Copies the controller's parameters, or program N (1-20) or subprogram N (1-50),\n"
               "into FILE. \".paramVem730\" or \".prgVem730\" is appended unless FILE already\n"
               "contains it. An existing FILE is replaced only when the transfer succeeds.\n"
               "\n"
               "  --port NAME    COM1 ... COM10, or a device path (default COM1)\n"
               "  --no-clobber   refuse to replace an existing FILE\n"
               "  --trace FILE   append every request and reply to FILE\n";
    if (topic == "write")
        return "usage: vemsync write params FILE [--port NAME]\n"
               "       vemsync write program N FILE [--port NAME]\n"
               "       vemsync write subprogram N FILE [--port NAME]\n"
               "\n"
               "Copies FILE into the controller: parameters, or program N (1-20) or\n"
               "subprogram N (1-50). The program text is checked and converted before the\n"
               "stored program is deleted. An existing FILE is sent as it is; to a name that\n"
               "names no file \".paramVem730\" or \".prgVem730\" is appended when it does not\n"
               "contain it (in any case of letters).\n"
               "Lines that would not be stored as written (text after the word, a number\n"
               "out of range or unreadable, a coordinate without a point, ...) are listed\n"
               "and the write is refused (exit 1) before anything in the controller changes.\n"
               "\n"
               "  --port NAME         COM1 ... COM10, or a device path (default COM1)\n"
               "  --accept-rewrites   list such lines, then write all the same\n"
               "  --verify            read the data back after writing and compare them with\n"
               "                      what was sent; a difference exits 1\n"
               "  --trace FILE        append every request and reply to FILE\n";
    if (topic == "compare")
        return "usage: vemsync compare params FILE [--port NAME]\n"
               "       vemsync compare program N FILE [--port NAME]\n"
               "       vemsync compare subprogram N FILE [--port NAME]\n"
               "\n"
               "Reads the controller's parameters, or program N or subprogram N, and compares\n"
               "them with what writing FILE would store. Nothing is written. The extension is\n"
               "added as by write.\n"
               "\n"
               "Exit status: 0 the same, 3 different (the first difference is printed),\n"
               "1 the command failed, 2 the command line was wrong.\n"
               "\n"
               "  --port NAME    COM1 ... COM10, or a device path (default COM1)\n"
               "  --trace FILE   append every request and reply to FILE\n";
    if (topic == "ports")
        return "usage: vemsync ports\n"
               "       vemsync ports map COMn DEVICE\n"
               "       vemsync ports unmap COMn\n"
               "\n"
               "Without more, lists COM1 ... COM10 with what each reaches now, then the\n"
               "serial devices found. \"map\" links COMn to DEVICE in the port folder:\n"
               "a device found (/dev/ttyUSB0, ttyUSB0 or its /dev/serial/by-id name) is\n"
               "linked by its by-id name, so it keeps its COM name when plugged in again;\n"
               "any other existing path is linked as given. \"unmap\" removes the link,\n"
               "and COMn is /dev/ttyS(n-1) again.\n";
    if (topic == "check")
        return "usage: vemsync check FILE [--subprogram] [--accept-rewrites]\n"
               "\n"
               "Checks a program text as the write command does, without a controller.\n"
               "Prints the number of frames; on a rejected line, or a text with no word or\n"
               "more lines than the area holds, prints the write command's message and\n"
               "exits 1. Lines that would not be stored as written are listed and exit 1\n"
               "too. FILE is taken as given; no extension is added.\n"
               "\n"
               "  --subprogram        check against the subprogram area (100 frames, not 500)\n"
               "  --accept-rewrites   list such lines, but count the text as good\n";
    if (topic == "import")
        return "usage: vemsync import FILE IMAGE [--subprogram]\n"
               "\n"
               "Checks a program text and writes the image file the write command would send.\n"
               "An existing IMAGE is replaced only when the import succeeds.\n"
               "\n"
               "  --subprogram   build a subprogram image (100 frames, not 500)\n";
    if (topic == "export")
        return "usage: vemsync export IMAGE FILE\n"
               "\n"
               "Writes the program text of an image file as the read command does.\n"
               "An existing FILE is replaced only when the export succeeds.\n";
    return "usage: vemsync COMMAND [ARGS] [OPTIONS]\n"
           "\n"
           "Copies part programs, subprograms and machine parameters between the\n"
           "Вем-730 controller and files, and checks program texts offline.\n"
           "\n"
           "Commands:\n"
           "  read params|program N|subprogram N FILE    controller to file\n"
           "  write params|program N|subprogram N FILE   file to controller\n"
           "  compare params|program N|subprogram N FILE controller against file\n"
           "  check FILE [--subprogram]                  check a program text\n"
           "  import FILE IMAGE [--subprogram]           program text to image file\n"
           "  export IMAGE FILE                          image file to program text\n"
           "  backup DIR                                 the whole controller to a folder\n"
           "  restore DIR [--only LIST] [--verify] [--exact]\n"
           "                                             a backup folder to the controller\n"
           "  ports [map COMn DEVICE | unmap COMn]       list or change the port names\n"
           "\n"
           "Options:\n"
           "  --port NAME    COM1 ... COM10 (mapped as in the dialog) or a device path\n"
           "  --no-clobber   read: refuse to replace an existing file\n"
           "  --verify       write: read back and compare afterwards\n"
           "  --accept-rewrites  write, check: go on although lines are not stored as typed\n"
           "  --trace FILE   read, write, compare: append every request and reply to FILE\n"
           "  -h, --help     this text; \"vemsync COMMAND --help\" for one command\n"
           "\n"
           "Exit status: 0 success, 1 the command failed (the message says why),\n"
           "2 the command line was wrong, 3 compare found a difference.\n";
}
