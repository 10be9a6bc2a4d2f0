// vemsync's arguments read into a CliRequest, and the help text of each command,
// both from one definition of the commands and their options.
#include "cli/command_line.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "cli/cli_messages.h"
#include "link/port_names.h"
#include "platform/help_formatter.h"

namespace {

// Longest number the dialog's number field takes.
constexpr std::size_t NUMBER_DIGITS = 2;
// The port list of the window, COM1 … COM10.
constexpr unsigned PORT_LIST_SIZE = 10;
constexpr std::string_view COM_PREFIX = "COM";

// Where the words of the line go while it is read.
struct Values {
    std::string port = "COM1";
    std::string trace;
    std::string only;
    bool noClobber = false;
    bool verify = false;
    bool acceptRewrites = false;
    bool subprogram = false;
    bool exact = false;
    std::string number;
    std::string file;
    std::string image;
    std::string folder;
    std::string portName; // the port name `ports map` and `ports unmap` change
    std::string device;
};

// An option that some commands take. The tool takes it too, in front of
// the command, and its help says which commands that is for.
struct SharedOption {
    const char* name;
    const char* value; // the value's placeholder; nullptr for a switch
    std::string Values::*text;
    bool Values::*flag;
    std::vector<std::string> commands;
    const char* help;
};

const SharedOption SHARED_OPTIONS[] = {
    {"--port", CliHelp::ARG_NAME, &Values::port, nullptr, {"read", "write", "compare", "backup", "restore"},
     CliHelp::PORT_OPTION},
    {"--no-clobber", nullptr, nullptr, &Values::noClobber, {"read"}, CliHelp::NO_CLOBBER_OPTION},
    {"--verify", nullptr, nullptr, &Values::verify, {"write", "restore"}, CliHelp::VERIFY_OPTION},
    {"--accept-rewrites", nullptr, nullptr, &Values::acceptRewrites, {"write", "check"},
     CliHelp::ACCEPT_REWRITES_OPTION},
    {"--trace", CliHelp::ARG_FILE, &Values::trace, nullptr, {"read", "write", "compare", "backup", "restore"},
     CliHelp::TRACE_OPTION},
    {"--subprogram", nullptr, nullptr, &Values::subprogram, {"check", "import"}, CliHelp::SUBPROGRAM_OPTION},
    {"--only", CliHelp::ARG_LIST, &Values::only, nullptr, {"restore"}, CliHelp::ONLY_OPTION},
    {"--exact", nullptr, nullptr, &Values::exact, {"restore"}, CliHelp::EXACT_OPTION},
};

// Why a --port value names no port of the list: a "COMn" beyond it, or
// written otherwise than the list writes it; "" for a name of the list or
// any other path.
std::string PortRefusal(const std::string& name)
{
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const bool comWord = upper.size() > COM_PREFIX.size() && upper.starts_with(COM_PREFIX) &&
                         upper.find_first_not_of("0123456789", COM_PREFIX.size()) == std::string::npos;
    return comWord && !ComNumber(name, PORT_LIST_SIZE) ? CliMsg::PortNotInList(name) : std::string();
}

void AddShared(CLI::App& app, const SharedOption& option, Values& values, const std::string& help)
{
    if (option.flag != nullptr) {
        app.add_flag(option.name, values.*option.flag, help);
        return;
    }
    const std::string missing = CliMsg::MissingValue(option.value);
    const CLI::Validator notEmpty(
        [missing](const std::string& value) { return value.empty() ? missing : std::string(); }, "");
    CLI::Option* added = app.add_option(option.name, values.*option.text, help);
    added->type_name(option.value)->check(notEmpty);
    if (option.text == &Values::port)
        added->check(CLI::Validator(PortRefusal, ""));
}

// A word the command takes after its name.
struct Argument {
    const char* name;
    std::string Values::*value;
    const char* help;
};

// A command: the first line of its description is its line in the tool's help.
struct Command {
    const char* name;
    const char* description;
    std::vector<Argument> arguments;
};

const Command COMMANDS[] = {
    {"read",
     CliHelp::READ,
     {}},
    {"write",
     CliHelp::WRITE,
     {}},
    {"compare",
     CliHelp::COMPARE,
     {}},
    {"check",
     CliHelp::CHECK,
     {{CliHelp::ARG_FILE, &Values::file, CliHelp::PROGRAM_TEXT}}},
    {"import",
     CliHelp::IMPORT,
     {{CliHelp::ARG_FILE, &Values::file, CliHelp::PROGRAM_TEXT}, {CliHelp::ARG_IMAGE, &Values::image, CliHelp::IMAGE_FILE}}},
    {"export",
     CliHelp::EXPORT,
     {{CliHelp::ARG_IMAGE, &Values::image, CliHelp::IMAGE_FILE}, {CliHelp::ARG_FILE, &Values::file, CliHelp::PROGRAM_TEXT}}},
    {"backup",
     CliHelp::BACKUP,
     {{CliHelp::ARG_FOLDER, &Values::folder, CliHelp::BACKUP_FOLDER}}},
    {"restore",
     CliHelp::RESTORE,
     {{CliHelp::ARG_FOLDER, &Values::folder, CliHelp::BACKUP_FOLDER}}},
    {"ports",
     CliHelp::PORTS,
     {}},
};

// What comes after a command's own words: the kinds of data after read,
// write and compare, the changes after ports.
const Command KINDS[] = {
    {"params", CliHelp::PARAMS, {{CliHelp::ARG_FILE, &Values::file, CliHelp::ANY_FILE}}},
    {"program", CliHelp::PROGRAM, {{"N", &Values::number, CliHelp::NUMBER}, {CliHelp::ARG_FILE, &Values::file, CliHelp::ANY_FILE}}},
    {"subprogram", CliHelp::SUBPROGRAM,
     {{"N", &Values::number, CliHelp::NUMBER}, {CliHelp::ARG_FILE, &Values::file, CliHelp::ANY_FILE}}},
};
const Command PORT_CHANGES[] = {
    {"map", CliHelp::MAP,
     {{"COMn", &Values::portName, CliHelp::PORT_NAME}, {CliHelp::ARG_DEVICE, &Values::device, CliHelp::DEVICE_OR_PATH}}},
    {"unmap", CliHelp::UNMAP, {{"COMn", &Values::portName, CliHelp::PORT_NAME}}},
};

bool TakesKind(const std::string& command)
{
    return command == "read" || command == "write" || command == "compare";
}

CLI::App* AddCommand(CLI::App& parent, const Command& definition, const char* group, Values& values)
{
    CLI::App* command = parent.add_subcommand(definition.name, definition.description)->group(group);
    for (const Argument& argument : definition.arguments)
        command->add_option(argument.name, values.*argument.value, argument.help)->required()->type_name("");
    return command;
}

void DefineCommands(CLI::App& app, Values& values)
{
    PrepareArguments(app);
    app.description(CliHelp::TOOL);
    app.fallthrough(); // an option after the command that the command lacks is the tool's
    app.require_subcommand(1);
    for (const Command& definition : COMMANDS) {
        CLI::App* command = AddCommand(app, definition, CliHelp::COMMANDS, values);
        for (const SharedOption& option : SHARED_OPTIONS) {
            const std::vector<std::string>& takers = option.commands;
            if (std::find(takers.begin(), takers.end(), definition.name) != takers.end())
                AddShared(*command, option, values, option.help);
        }
        if (TakesKind(definition.name)) {
            command->require_subcommand(1);
            for (const Command& kind : KINDS)
                AddCommand(*command, kind, CliHelp::KINDS, values);
        } else if (std::string(definition.name) == "ports") {
            command->require_subcommand(0, 1);
            for (const Command& change : PORT_CHANGES)
                AddCommand(*command, change, CliHelp::ACTIONS, values);
        }
    }
    for (const SharedOption& option : SHARED_OPTIONS) {
        const char* between = option.commands.size() > 1 ? ":\n" : ": ";
        AddShared(app, option, values, Enumeration(option.commands, CliHelp::AND) + between + option.help);
    }
    // Set last: a command takes its parent's footer when it is made.
    app.footer(CliHelp::FOOTER);
}

// An option given in front of a command that does not take it.
std::string MisplacedOption(const CLI::App& app, const CLI::App& command)
{
    for (const SharedOption& option : SHARED_OPTIONS) {
        if (app.get_option(option.name)->count() > 0 && command.get_option_no_throw(option.name) == nullptr)
            return CliMsg::OnlyFor(option.name, option.commands.size() > 1,
                                   Enumeration(option.commands, CliHelp::AND));
    }
    return "";
}

// vemsync's command tree with the values it fills.
struct Tool {
    Values values;
    CLI::App app{"", "vemsync"};
    Tool() { DefineCommands(app, values); }
};

CliRequest::Kind KindNamed(const std::string& name)
{
    return name == "params" ? CliRequest::Kind::Parameters
           : name == "program" ? CliRequest::Kind::Program
                               : CliRequest::Kind::Subprogram;
}

void FillBackup(const Values& values, VemsyncCommandLine& line)
{
    BackupRequest& request = line.backup.emplace();
    request.action = line.command == "backup" ? BackupRequest::Action::Backup : BackupRequest::Action::Restore;
    request.folder = values.folder;
    if (request.folder.empty()) {
        line.error = CliMsg::EmptyFolder(line.command);
        line.backup.reset();
        return;
    }
    request.port = values.port;
    request.trace = values.trace;
    request.verify = values.verify;
    request.exact = values.exact;
    if (!values.only.empty()) {
        request.only = ParseItemList(values.only, line.error);
        if (!request.only)
            line.backup.reset();
    }
}

// `chosen` is what follows the command: the kind of data, the port change.
void FillRequest(const Values& values, const std::string& chosen, VemsyncCommandLine& line)
{
    CliRequest request;
    request.number = values.number;
    request.file = values.file;
    request.image = values.image;
    request.port = values.port;
    request.trace = values.trace;
    request.noClobber = values.noClobber;
    request.acceptRewrites = values.acceptRewrites;
    request.verify = values.verify;
    const std::string& name = line.command;
    if (TakesKind(name)) {
        request.action = name == "read"    ? CliRequest::Action::Read
                         : name == "write" ? CliRequest::Action::Write
                                           : CliRequest::Action::Compare;
        request.kind = KindNamed(chosen);
        const bool digits = !values.number.empty() && values.number.size() <= NUMBER_DIGITS &&
                            std::all_of(values.number.begin(), values.number.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
        if (request.kind != CliRequest::Kind::Parameters && !digits) {
            line.error = CliMsg::BadNumber(request.kind == CliRequest::Kind::Program, values.number);
            return;
        }
    } else if (name == "ports") {
        request.action = chosen == "map"     ? CliRequest::Action::MapPort
                         : chosen == "unmap" ? CliRequest::Action::UnmapPort
                                             : CliRequest::Action::Ports;
        if (request.action != CliRequest::Action::Ports)
            request.port = values.portName;
        request.device = values.device;
    } else {
        request.action = name == "check"    ? CliRequest::Action::Check
                         : name == "import" ? CliRequest::Action::Import
                                            : CliRequest::Action::Export;
        request.kind = values.subprogram ? CliRequest::Kind::Subprogram : CliRequest::Kind::Program;
    }
    line.request = request;
}

} // namespace

VemsyncCommandLine ReadCommandLine(const std::vector<std::string>& args)
{
    VemsyncCommandLine line;
    Tool tool;
    const ArgumentsRead read = ReadArguments(tool.app, args, line.error);

    const CLI::App* command = &ChosenCommand(tool.app);
    while (command != &tool.app && command->get_parent() != &tool.app)
        command = command->get_parent();
    line.command = command == &tool.app ? "" : command->get_name();
    const bool backup = line.command == "backup" || line.command == "restore";
    if (read == ArgumentsRead::Wrong)
        return line;
    if (read == ArgumentsRead::Help) {
        if (backup) {
            line.backup.emplace().helpTopic = line.command;
        } else {
            line.request.emplace().helpTopic = line.command;
        }
        return line;
    }
    line.error = MisplacedOption(tool.app, *command);
    if (!line.error.empty())
        return line;
    if (backup)
        FillBackup(tool.values, line);
    else
        FillRequest(tool.values, ChosenCommand(*command).get_name(), line);
    return line;
}

std::optional<CliRequest> ParseCommandLine(const std::vector<std::string>& args, std::string& error)
{
    VemsyncCommandLine line = ReadCommandLine(args);
    if (line.backup)
        line.error = CliMsg::NotRunHere(line.command);
    error = line.error;
    return line.request;
}

std::string HelpText(const std::string& topic)
{
    const Tool tool;
    const CLI::App* command = CommandNamed(tool.app, topic);
    return command != nullptr ? command->help() : tool.app.help();
}
