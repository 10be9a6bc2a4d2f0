// CPrivateTempFile: a scratch file nobody else can reach, removed when we are done.
#pragma once

#include <string>

#include "platform/file_error.h"

// A scratch file of this process that nobody else can reach or plant:
// created new (never an existing file, never through a link), readable and
// writable by its owner only, in the per-user runtime folder
// ($XDG_RUNTIME_DIR), else the temporary folder ($TMPDIR), else /tmp; the
// next place is tried when one refuses. It is removed when the object goes,
// and by the interrupt clean-up should a signal end the process first.
class CPrivateTempFile {
public:
    CPrivateTempFile() = default;
    ~CPrivateTempFile();
    CPrivateTempFile(const CPrivateTempFile&) = delete;
    CPrivateTempFile& operator=(const CPrivateTempFile&) = delete;

    // Creates an empty file; false with LastError when no place takes it.
    bool Create();
    const std::string& Path() const { return m_path; }
    const FileError& LastError() const { return m_lastError; }
    void Remove();

private:
    std::string m_path;
    int m_registration = -1;
    FileError m_lastError;
};
