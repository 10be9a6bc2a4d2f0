// File errors: the system's error codes grouped into causes, and their messages.
#include "platform/file_error.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/file_messages.h"

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
    const char* pattern = FileMsg::GENERIC;
    switch (error.cause) {
    case FileErrorCause::Generic:
        break;
    case FileErrorCause::NotFound:
        pattern = FileMsg::NOT_FOUND;
        break;
    case FileErrorCause::BadPath:
        pattern = FileMsg::BAD_PATH;
        break;
    case FileErrorCause::TooManyOpenFiles:
        pattern = FileMsg::TOO_MANY_OPEN;
        break;
    case FileErrorCause::AccessDenied:
        pattern = FileMsg::ACCESS_DENIED;
        break;
    case FileErrorCause::HardwareIo:
        pattern = FileMsg::HARDWARE_IO;
        break;
    case FileErrorCause::DiskFull:
        pattern = FileMsg::DISK_FULL;
        break;
    case FileErrorCause::EndOfFile:
        pattern = FileMsg::END_OF_FILE;
        break;
    case FileErrorCause::InUse:
        pattern = FileMsg::IN_USE;
        break;
    case FileErrorCause::NotRegular:
        pattern = FileMsg::NOT_REGULAR;
        break;
    }
    std::string text = pattern;
    const std::string::size_type at = text.find("%1");
    text.replace(at, 2, error.path);
    return text;
}

std::string SystemErrorReason(int systemError)
{
    for (const FileMsg::SystemErrorWords& known : FileMsg::SYSTEM_ERRORS) {
        if (known.systemError == systemError)
            return known.words;
    }
    return FileMsg::ERROR_NUMBER + std::to_string(systemError) + " (" + std::strerror(systemError) + ")";
}

FileException::FileException(FileError error)
    : m_error(std::move(error)), m_message(FileErrorMessage(m_error))
{
}
