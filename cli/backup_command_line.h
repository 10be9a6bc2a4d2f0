// BackupRequest: what vemsync backup and restore are asked to do, read from the arguments.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "backup/backup_manifest.h"

// What `vemsync backup` and `vemsync restore` are asked to do.
struct BackupRequest {
    enum class Action { Help, Backup, Restore };

    Action action = Action::Help;
    std::string folder;
    std::string port = "COM1";
    std::string trace; // where --trace writes the line's trace; empty: none
    std::optional<std::vector<BackupItemId>> only;
    bool verify = false;
    bool exact = false;
    std::string helpTopic; // "backup" or "restore"
};

// Whether the command the line names is backup or restore.
bool NamesBackupCommand(const std::vector<std::string>& args);

// The parsed request, or nothing with `error` set to a one-line reason;
// the line is read as ReadCommandLine reads it.
std::optional<BackupRequest> ParseBackupCommandLine(const std::vector<std::string>& args,
                                                    std::string& error);

// "params,program:3,subprogram:7": the items, or nothing with `error` set.
std::optional<std::vector<BackupItemId>> ParseItemList(const std::string& text, std::string& error);

std::string BackupHelpText(const std::string& topic);
