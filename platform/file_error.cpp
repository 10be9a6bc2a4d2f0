// File errors: the system's error codes grouped into causes, and their messages.
#include "platform/file_error.h"

#include <cerrno>
#include <utility>

FileErrorCause FileErrorCauseOf(int systemError)
{
    switch (systemError) {
    case ENOENT:
    case ENOTDIR:
        return FileErrorCause::NotFound;
    case ENAMETOOLONG:
    case ELOOP:
    case EISDIR:
    case EINVAL:
        return FileErrorCause::BadPath;
    case EMFILE:
    case ENFILE:
        return FileErrorCause::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return FileErrorCause::AccessDenied;
    case EIO:
    case ENXIO:
    case ENODEV:
        return FileErrorCause::HardwareIo;
    case ENOSPC:
#ifdef EDQUOT // not in every C library
    case EDQUOT:
#endif
    case EFBIG:
        return FileErrorCause::DiskFull;
#ifdef _WIN32
    // The file layer reports a sharing violation as EBUSY (win32_text.h).
    case EBUSY:
        return FileErrorCause::InUse;
#endif
    default:
        return FileErrorCause::Generic;
    }
}

FileError MakeFileError(int systemError, std::string path)
{
    return FileError{FileErrorCauseOf(systemError), systemError, std::move(path)};
}

FileError NotRegularFileError(std::string path)
{
    return FileError{FileErrorCause::NotRegular, 0, std::move(path)};
}

std::string FileErrorMessage(const FileError& error)
{
    const char* pattern = "An unspecified error occurred while accessing %1.";
    switch (error.cause) {
    case FileErrorCause::Generic:
        break;
    case FileErrorCause::NotFound:
        pattern = "%1 was not found.";
        break;
    case FileErrorCause::BadPath:
        pattern = "%1 contains an invalid path.";
        break;
    case FileErrorCause::TooManyOpenFiles:
        pattern = "%1 could not be opened because there are too many open files.";
        break;
    case FileErrorCause::AccessDenied:
        pattern = "Access to %1 was denied.";
        break;
    case FileErrorCause::HardwareIo:
        pattern = "A hardware I/O error was reported while accessing %1.";
        break;
    case FileErrorCause::DiskFull:
        pattern = "Disk full while accessing %1.";
        break;
    case FileErrorCause::EndOfFile:
        pattern = "Attempted to access %1 past its end.";
        break;
    case FileErrorCause::InUse:
        pattern = "Файл %1 открыт в другой программе. Закройте его там и повторите.";
        break;
    case FileErrorCause::NotRegular:
        pattern = "%1 is not a regular file.";
        break;
    }
    std::string text = pattern;
    const std::string::size_type at = text.find("%1");
    text.replace(at, 2, error.path);
    return text;
}

FileException::FileException(FileError error)
    : m_error(std::move(error)), m_message(FileErrorMessage(m_error))
{
}
