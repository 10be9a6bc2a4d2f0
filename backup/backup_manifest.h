// The backup manifest: what a backup folder holds of each item, with checksums.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "link/controller_info.h"
#include "link/data_kind.h"

// One data item of the controller, as a backup names it.
struct BackupItemId {
    using Kind = DataKind;
    Kind kind = Kind::Parameters;
    unsigned number = 0; // 0 for the parameters

    friend bool operator==(const BackupItemId&, const BackupItemId&) = default;
};

// What a backup holds of one item. The parameters are one file of `bytes`
// bytes; a program or subprogram of `frames` frames has its frames file (the
// frames as the controller sent them) and its program text; an empty one has
// no file.
struct BackupEntry {
    BackupItemId id;
    std::size_t bytes = 0;   // the parameter file's length
    unsigned frames = 0;     // programs and subprograms
    std::string file;        // the parameter file or the frames file
    std::string sha256;      // of `file`
    std::string textFile;    // programs and subprograms with frames
    std::string textSha256;  // of `textFile`

    bool Empty() const { return id.kind != BackupItemId::Kind::Parameters && frames == 0; }
};

// The manifest of a backup folder, the file MANIFEST_NAME. Plain text, one
// record per line, fields separated by one space:
//
//   MFCVemSync backup 1
//   time 2026-12-08T07:41:05Z
//   descriptor C2017800040000000000000000200000
//   params 930 parameters.paramVem730 SHA256
//   program 1 7 program-01.frames SHA256 program-01.prgVem730 SHA256
//   program 2 0
//   ...
//   subprogram 50 0
//   end
//
// The time is UTC; the descriptor its 16 bytes in hex; then the parameters
// (length in bytes), programs 1 to 20 and subprograms 1 to 50 in order, each
// with its frame count, and for a program that has frames its frames file and
// text file with the SHA-256 of each in lower-case hex. The last line "end"
// shows that the manifest was written whole.
struct BackupManifest {
    std::string time;
    ControllerInfo descriptor;
    std::vector<BackupEntry> entries; // the parameters, programs, subprograms

    const BackupEntry* Find(const BackupItemId& id) const;
};

inline constexpr const char* MANIFEST_NAME = "manifest.txt";

std::string FormatManifest(const BackupManifest& manifest);
// The manifest, or nothing with a one-line `error` when the text is not a
// whole manifest of this format.
std::optional<BackupManifest> ParseManifest(const std::string& text, std::string& error);

// File names inside a backup folder.
std::string ParameterFileName();
std::string FramesFileName(const BackupItemId& id);
std::string TextFileName(const BackupItemId& id);

// Every item a backup holds, in the order the manifest lists them.
std::vector<BackupItemId> AllBackupItems();
// "Параметры", "Программа 3", "Подпрограмма 7": an item as the user reads it.
std::string ItemTitle(const BackupItemId& id);
// "params", "program:3", "subprogram:7": an item as --only takes it.
std::string ItemWord(const BackupItemId& id);
