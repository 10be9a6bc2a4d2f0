// CAppendFile: a regular file the program appends lines to, such as the line's trace.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/binary_file.h"
#include "platform/file_error.h"

// A file the program appends lines to as they come, such as the trace of
// the line: a regular file only (a FIFO or a device is refused, and the
// open never waits for one), never reached through a symbolic link that
// stands in a folder others may write (where anyone could have planted it
// to name a file of the user's), and every failure to write kept, so that a
// trace that was lost is reported rather than taken for whole.
class CAppendFile {
public:
    enum class Opened {
        Ok,
        NotRegular, // a FIFO, a device, a folder
        PlantedLink, // a link in a folder others may write
        Failed,      // LastError says why
    };

    CAppendFile() = default;
    ~CAppendFile();
    CAppendFile(const CAppendFile&) = delete;
    CAppendFile& operator=(const CAppendFile&) = delete;

    // Opens `path` for appending, creating it if missing.
    Opened Open(const std::string& path);
    const FileError& LastError() const { return m_lastError; }
    // The open file's identity, to tell it from the files a command uses.
    std::optional<FileIdentity> Identity() const;
    // Removes the file again if Open created it (and closes it).
    void RemoveIfCreated();

    // Appends `line` and a line end in one write. After the first failure
    // nothing more is written; WriteFailure keeps it.
    void Append(std::string_view line);
    // Closes the file; a failure there is a write failure too.
    void Close();
    const std::optional<FileError>& WriteFailure() const { return m_writeFailure; }

private:
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
    std::string m_path;
    bool m_created = false;
    FileError m_lastError;
    std::optional<FileError> m_writeFailure;
};
