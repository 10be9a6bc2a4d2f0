// The arguments of vemsync backup and restore read, their item lists, and their help.
#include "cli/backup_command_line.h"

#include <algorithm>
#include <sstream>

namespace {

// Options that take the next word as their value.
bool TakesValue(const std::string& arg)
{
    return arg == "--port" || arg == "--only";
}

std::optional<unsigned> ItemNumber(const std::string& text, unsigned highest)
{
    if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned number = static_cast<unsigned>(std::stoul(text));
    if (number < 1 || number > highest)
        return std::nullopt;
    return number;
}

} // namespace

bool NamesBackupCommand(const std::vector<std::string>& args)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--")
            return i + 1 < args.size() && (args[i + 1] == "backup" || args[i + 1] == "restore");
        if (TakesValue(arg)) {
            ++i;
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-')
            continue;
        return arg == "backup" || arg == "restore";
    }
    return false;
}

std::optional<std::vector<BackupItemId>> ParseItemList(const std::string& text, std::string& error)
{
    std::vector<BackupItemId> items;
    std::istringstream in(text);
    std::string word;
    while (std::getline(in, word, ',')) {
        BackupItemId id;
        const std::string::size_type colon = word.find(':');
        const std::string kind = word.substr(0, colon);
        const std::string number = colon == std::string::npos ? "" : word.substr(colon + 1);
        std::optional<unsigned> n;
        if (kind == "params" && colon == std::string::npos) {
            id = {BackupItemId::Kind::Parameters, 0};
        } else if (kind == "program" && (n = ItemNumber(number, PROGRAM_COUNT))) {
            id = {BackupItemId::Kind::Program, *n};
        } else if (kind == "subprogram" && (n = ItemNumber(number, SUBPROGRAM_COUNT))) {
            id = {BackupItemId::Kind::Subprogram, *n};
        } else {
            error = "--only: \"" + word +
                    "\" is not an item (params, program:1 … program:20, subprogram:1 … subprogram:50)";
            return std::nullopt;
        }
        if (std::find(items.begin(), items.end(), id) == items.end())
            items.push_back(id);
    }
    if (items.empty()) {
        error = "--only needs a list of items, e.g. params,program:3,subprogram:7";
        return std::nullopt;
    }
    return items;
}

std::optional<BackupRequest> ParseBackupCommandLine(const std::vector<std::string>& args,
                                                    std::string& error)
{
    BackupRequest request;
    std::vector<std::string> positional;
    bool help = false;
    std::optional<std::string> only;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            positional.insert(positional.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        std::string value;
        const std::string::size_type equals = arg.find('=');
        const std::string name = arg.rfind("--", 0) == 0 ? arg.substr(0, equals) : arg;
        if (TakesValue(name)) {
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            }
            if (value.empty()) {
                error = name + (name == "--port" ? " needs a port name (COM1 … COM10) or a device path"
                                                 : " needs a list of items, e.g. params,program:3");
                return std::nullopt;
            }
            if (name == "--port")
                request.port = value;
            else
                only = value;
        } else if (arg == "-h" || arg == "--help") {
            help = true;
        } else if (arg == "--verify") {
            request.verify = true;
        } else if (arg == "--exact") {
            request.exact = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else {
            positional.push_back(arg);
        }
    }

    const std::string command = positional.empty() ? "" : positional[0];
    if (command != "backup" && command != "restore") {
        error = "no backup or restore command given";
        return std::nullopt;
    }
    if (help) {
        request.helpTopic = command;
        return request;
    }
    const bool restore = command == "restore";
    if (positional.size() != 2) {
        error = std::string(positional.size() < 2 ? "missing folder" : "too many arguments") +
                ": usage: vemsync " + command + " DIR" + (restore ? " [--only LIST] [--verify] [--exact]" : "");
        return std::nullopt;
    }
    request.action = restore ? BackupRequest::Action::Restore : BackupRequest::Action::Backup;
    request.folder = positional[1];
    if (!restore && (only || request.verify || request.exact)) {
        error = "--only, --verify and --exact apply to restore only";
        return std::nullopt;
    }
    if (only) {
        request.only = ParseItemList(*only, error);
        if (!request.only)
            return std::nullopt;
    }
    return request;
}

std::string BackupHelpText(const std::string& topic)
{
    if (topic == "backup")
        return "usage: vemsync backup DIR [--port NAME]\n"
               "\n"
               "Saves everything the controller holds into the folder DIR (created if\n"
               "missing): the parameters, and every program 1-20 and subprogram 1-50 that\n"
               "holds at least one frame, each as its frames (for an exact restore) and as\n"
               "its program text; manifest.txt lists every item with its frame count and\n"
               "SHA-256. A backup already in DIR is replaced only when the new one is\n"
               "complete; a folder holding other files is refused.\n"
               "\n"
               "  --port NAME    COM1 ... COM10, or a device path (default COM1)\n";
    return "usage: vemsync restore DIR [--port NAME] [--only LIST] [--verify] [--exact]\n"
           "\n"
           "Writes a backup made by \"vemsync backup\" back into the controller. The\n"
           "manifest, every checksum and the controller's descriptor are checked first;\n"
           "if any differs, nothing is written. Then the parameters and every saved\n"
           "program and subprogram are written from their frames, disabled words\n"
           "included. Programs that were empty in the backup are left as they are in\n"
           "the controller unless --exact is given.\n"
           "\n"
           "  --port NAME    COM1 ... COM10, or a device path (default COM1)\n"
           "  --only LIST    only these items, e.g. params,program:3,subprogram:7\n"
           "  --verify       read each item back after writing it and compare\n"
           "  --exact        also delete the programs and subprograms that were empty\n"
           "                 in the backup, so the controller holds exactly the backup\n";
}
