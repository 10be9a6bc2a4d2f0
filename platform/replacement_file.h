// CReplacementFile: a user's file replaced only once its new content is complete.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/file_error.h"
#include "platform/private_temp_file.h"

// The new content of a user's file, staged under a temporary name and put
// in its place only when complete. Until Commit the target keeps its old
// bytes (or stays absent); a replacement that is dropped removes its
// temporary file.
//
// The target keeps what makes it the user's file: its owner, group and
// mode; a symbolic link stays a link and the file it names gets the
// content; hard links stay linked. Where a rename can keep all that (a file
// of one link whose owner and group the new file can take), the content is
// staged beside the file and renamed over it. Otherwise it is staged in a
// private temporary file and then written over the existing file's bytes.
class CReplacementFile {
public:
    CReplacementFile() = default;
    ~CReplacementFile();
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;

    // Proves that the target can be written — an existing target must be a
    // regular file and is opened for writing without being emptied — and
    // creates the temporary file. False with LastError when either fails.
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

    // Puts the content, which the writer has synced and closed, in place.
    // Throws FileException.
    void Commit();

private:
    // Creates the temporary file beside the target; false when it cannot be
    // created there or cannot take the existing file's owner and group.
    bool StageBeside(const struct stat* existing);
    void RenameIntoPlace();
    void RewriteInPlace();

    std::string m_target; // as the user chose it
    std::string m_final;  // the file that gets the content
    std::string m_temp;
    int m_registration = -1;
    bool m_inPlace = false;
    CPrivateTempFile m_staged;
    FileError m_lastError;
};
