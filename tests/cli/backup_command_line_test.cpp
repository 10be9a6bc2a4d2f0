// Tests of the backup and restore argument reader: commands, options and mistakes.
#include <gtest/gtest.h>

#include "cli/backup_command_line.h"

namespace {

using Kind = BackupItemId::Kind;

// A request in one line, for comparison: "restore DIR port trace=... only=... verify exact".
std::string Summary(const BackupRequest& r)
{
    std::string text = r.action == BackupRequest::Action::Help      ? "help " + r.helpTopic
                       : r.action == BackupRequest::Action::Backup ? "backup " + r.folder
                                                                   : "restore " + r.folder;
    text += " " + r.port;
    if (!r.trace.empty())
        text += " trace=" + r.trace;
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
        {"backup traced", {"backup", "d", "--trace", "t.log"}, "backup d COM1 trace=t.log"},
        {"restore traced, trace first", {"--trace=t", "restore", "d"}, "restore d COM1 trace=t"},
        {"restore with everything",
         {"restore", "d", "--only=params,program:3,subprogram:50", "--verify", "--exact", "--port=/dev/ttyS0"},
         "restore d /dev/ttyS0 only=params;program:3;subprogram:50; verify exact"},
        {"a repeated item counts once", {"restore", "d", "--only", "program:3,program:03"}, "restore d COM1 only=program:3;"},
        {"help", {"restore", "--help"}, "help restore COM1"},
        {"program 21 does not exist", {"restore", "d", "--only", "program:21"}, "--only: «program:21»"},
        {"subprogram 0 does not exist", {"restore", "d", "--only", "subprogram:0"}, "--only: «subprogram:0»"},
        {"params takes no number", {"restore", "d", "--only", "params:1"}, "--only: «params:1»"},
        {"an empty item", {"restore", "d", "--only", "params,,program:1"}, "--only: «»"},
        {"an empty list", {"restore", "d", "--only="}, "--only: не хватает значения СПИСОК"},
        {"restore options on backup", {"backup", "d", "--exact"}, "--exact относится только к команде restore"},
        {"no folder", {"backup"}, "не хватает аргументов; запуск: vemsync backup ПАПКА"},
        {"an empty folder name", {"backup", ""}, "пустое имя папки"},
        {"two folders", {"restore", "a", "b"}, "лишний аргумент «b»"},
        {"unknown option", {"backup", "d", "--fast"}, "неизвестный ключ --fast"},
        {"port without a name", {"backup", "d", "--port"}, "--port: не хватает значения ИМЯ"},
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
