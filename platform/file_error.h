// FileError: why a file operation failed, grouped the way an operator can act on it.
#pragma once

#include <exception>
#include <string>

// Why a file operation failed, grouped the way an operator can act on it.
enum class FileErrorCause {
    Generic,
    NotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    HardwareIo,
    DiskFull,
    EndOfFile,
    InUse, // Windows: another program holds the file open without sharing it
    NotRegular, // a FIFO, a device or the like where a file was wanted
};

// A failure of the file system, with the file it concerns. Commands turn it
// into the one message the user sees (FileErrorMessage).
struct FileError {
    FileErrorCause cause = FileErrorCause::Generic;
    int systemError = 0;
    std::string path;
};

FileErrorCause FileErrorCauseOf(int systemError);
FileError MakeFileError(int systemError, std::string path);
FileError NotRegularFileError(std::string path);

// The text shown to the user, for example "Нет места на диске для файла /a/b.".
std::string FileErrorMessage(const FileError& error);

// A system error number in an operator's words, for the end of a message:
// "нет доступа", "нет места на диске"; one without words of ours as
// "системная ошибка 71 (Protocol error)".
std::string SystemErrorReason(int systemError);

// Thrown by the file layer when reading, writing, seeking or closing fails:
// those failures cannot be answered by the caller's normal results, and no
// command may go on as if the bytes had reached the disk.
class FileException : public std::exception {
public:
    explicit FileException(FileError error);
    const FileError& Error() const { return m_error; }
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    FileError m_error;
    std::string m_message;
};
