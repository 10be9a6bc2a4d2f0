#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "image/file_error.h"

// The new content of a user's file, written beside it under a temporary
// name and put in its place only when complete. Until Commit the target
// keeps its old bytes (or stays absent); a replacement that is dropped
// removes its temporary file.
class CReplacementFile {
public:
    CReplacementFile() = default;
    ~CReplacementFile();
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;

    // Proves that the target can be written — an existing target is opened
    // for writing without being emptied — and creates the temporary file in
    // the same folder. False with LastError when either fails.
    bool Begin(const std::string& target);
    const std::string& Target() const { return m_target; }
    const std::string& TempPath() const { return m_temp; }

    // Writes the whole new content into the temporary file and forces it to
    // the disk. Throws FileException naming the target.
    void WriteAll(std::span<const std::uint8_t> bytes);
    // A failure on the temporary file, told as one on the target: the user
    // knows the file they chose, not our temporary name.
    FileError AsTargetError(FileError error) const;
    const FileError& LastError() const { return m_lastError; }

    // Renames the temporary file over the target. The writer has synced and
    // closed it. Throws FileException.
    void Commit();

private:
    std::string m_target;
    std::string m_temp;
    FileError m_lastError;
};
