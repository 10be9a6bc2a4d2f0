// Tests of the backup and restore argument reader: commands, options and mistakes.
#include <gtest/gtest.h>

#include "cli/backup_command_line.h"

namespace {

using Kind = BackupItemId::Kind;

// A request in one line, for comparison: "restore DIR port only=... verify exact".
std::string Summary(const BackupRequest& r)
{
    std::string text = r.action == BackupRequest::Action::Help      ? "help " + r.helpTopic
                       : r.action == BackupRequest::Action::Backup ? "backup " + r.folder
                                                                   : "restore " + r.folder;
    text += " " + r.port;
    if (r.only) {
        text += " only=";
        for (const BackupItemId& id : *r.only)
            text += ItemWord(id) + ";";
    }
    if (r.verify)
        text += " verify";
    if (r.exact)
        text += " exact";
    return text;
}

struct BackupParseRow {
    const char* name;
    std::vector<std::string> args;
    const char* expected; // the summary, or the start of the error
};

TEST(ParseBackupCommandLine, CommandsOptionsAndTheirMistakes)
{
    const BackupParseRow rows[] = {
        {"backup", {"backup", "nightly"}, "backup nightly COM1"},
        {"backup, port first", {"--port", "COM2", "backup", "d"}, "backup d COM2"},
        {"restore with everything",
         {"restore", "d", "--only=params,program:3,subprogram:50", "--verify", "--exact", "--port=/dev/ttyS0"},
         "restore d /dev/ttyS0 only=params;program:3;subprogram:50; verify exact"},
        {"a repeated item counts once", {"restore", "d", "--only", "program:3,program:03"}, "restore d COM1 only=program:3;"},
        {"help", {"restore", "--help"}, "help restore COM1"},
        {"program 21 does not exist", {"restore", "d", "--only", "program:21"}, "--only: \"program:21\""},
        {"subprogram 0 does not exist", {"restore", "d", "--only", "subprogram:0"}, "--only: \"subprogram:0\""},
        {"params takes no number", {"restore", "d", "--only", "params:1"}, "--only: \"params:1\""},
        {"an empty item", {"restore", "d", "--only", "params,,program:1"}, "--only: \"\""},
        {"an empty list", {"restore", "d", "--only="}, "--only needs a list"},
        {"restore options on backup", {"backup", "d", "--exact"}, "--only, --verify and --exact apply to restore only"},
        {"no folder", {"backup"}, "missing folder"},
        {"two folders", {"restore", "a", "b"}, "too many arguments"},
        {"unknown option", {"backup", "d", "--fast"}, "unknown option --fast"},
        {"port without a name", {"backup", "d", "--port"}, "--port needs a port name"},
    };
    for (const BackupParseRow& row : rows) {
        std::string error;
        const std::optional<BackupRequest> request = ParseBackupCommandLine(row.args, error);
        const std::string got = request ? Summary(*request) : error;
        EXPECT_EQ(got.rfind(row.expected, 0), 0u) << row.name << ": got \"" << got << "\"";
    }
}

TEST(NamesBackupCommand, LooksPastOptionsAndTheirValues)
{
    EXPECT_TRUE(NamesBackupCommand({"backup", "d"}));
    EXPECT_TRUE(NamesBackupCommand({"--port", "COM2", "restore", "d"}));
    EXPECT_TRUE(NamesBackupCommand({"--only", "params", "restore", "d"}));
    EXPECT_TRUE(NamesBackupCommand({"--", "backup", "d"}));
    EXPECT_FALSE(NamesBackupCommand({"--port", "backup", "read", "params", "f"}))
        << "\"backup\" is the port's name here";
    EXPECT_FALSE(NamesBackupCommand({"read", "params", "backup"}));
    EXPECT_FALSE(NamesBackupCommand({"--help"}));
}

} // namespace
