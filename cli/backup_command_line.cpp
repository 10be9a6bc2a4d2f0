// The arguments of vemsync backup and restore read, their item lists, and their help.
#include "cli/backup_command_line.h"

#include <algorithm>
#include <sstream>

#include "cli/cli_messages.h"
#include "cli/command_line.h"

namespace {

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
    const std::string command = ReadCommandLine(args).command;
    return command == "backup" || command == "restore";
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
            error = CliMsg::NotAnItem(word);
            return std::nullopt;
        }
        if (std::find(items.begin(), items.end(), id) == items.end())
            items.push_back(id);
    }
    if (items.empty()) {
        error = CliMsg::NO_ITEMS;
        return std::nullopt;
    }
    return items;
}

std::optional<BackupRequest> ParseBackupCommandLine(const std::vector<std::string>& args,
                                                    std::string& error)
{
    VemsyncCommandLine line = ReadCommandLine(args);
    error = line.error;
    if (error.empty() && !line.backup)
        error = CliMsg::NO_BACKUP_COMMAND;
    return line.backup;
}

std::string BackupHelpText(const std::string& topic)
{
    return HelpText(topic);
}
