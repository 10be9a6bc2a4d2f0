// CStagedFolder: a folder's new contents built beside it and put in its place as a whole.
#pragma once

#include <string>

#include "platform/file_error.h"

// A folder whose new contents are built under a temporary name beside it
// and put in its place as a whole: until Commit the target keeps what it
// held (or stays absent); a staging folder that is dropped is removed with
// everything in it. Only a target that is missing, empty, or holds a file
// named `mark` (a folder this program filled before) is ever replaced, so a
// folder of other files is never swept away.
class CStagedFolder {
public:
    enum class Start {
        Ready,
        Foreign, // the target holds other things: it is left alone
        Failed,  // LastError says why
    };

    explicit CStagedFolder(std::string mark) : m_mark(std::move(mark)) {}
    ~CStagedFolder();
    CStagedFolder(const CStagedFolder&) = delete;
    CStagedFolder& operator=(const CStagedFolder&) = delete;

    // Creates the target's parent folders if missing and the staging folder
    // beside the target.
    Start Begin(const std::string& target);
    const std::string& Target() const { return m_target; }
    const std::string& Path() const { return m_staging; }
    const FileError& LastError() const { return m_lastError; }

    // Forces everything in the staging folder to the disk, puts it in the
    // target's place and removes what the target held. Throws FileException.
    void Commit();

private:
    // Creates the staging folder, its name `prefix` and a unique ending.
    bool CreateStaging(const std::string& prefix);

    std::string m_mark;
    std::string m_target;
    std::string m_staging;
    FileError m_lastError;
};
