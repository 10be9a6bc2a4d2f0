// The second line under a warning: a file failure's cause and a write's partial state.
#include "transfer/failure_detail.h"

#include <cerrno>
#include <cstring>

#include "transfer/messages.h"

namespace {

std::string ReasonOf(const FileError& error)
{
    switch (error.systemError) {
    case EROFS:
    case ENAMETOOLONG:
    case ELOOP:
        return SystemErrorReason(error.systemError);
    case EISDIR:
        return Msg::FOLDER_NOT_FILE;
    default:
        break;
    }
    switch (error.cause) {
    case FileErrorCause::NotFound:
        return Msg::FILE_NOT_FOUND;
    case FileErrorCause::BadPath:
        return Msg::BAD_FILE_NAME;
    case FileErrorCause::TooManyOpenFiles:
        return Msg::TOO_MANY_OPEN_FILES;
    case FileErrorCause::AccessDenied:
        return SystemErrorReason(EACCES);
    case FileErrorCause::HardwareIo:
        return SystemErrorReason(EIO);
    case FileErrorCause::DiskFull:
        return SystemErrorReason(ENOSPC);
    case FileErrorCause::EndOfFile:
        return Msg::FILE_TOO_SHORT;
    case FileErrorCause::NotRegular:
        return Msg::NOT_REGULAR_FILE;
    case FileErrorCause::InUse:
        return Msg::FILE_IN_USE;
    case FileErrorCause::Generic:
        break;
    }
    if (error.systemError != 0)
        return std::string(Msg::FILE_ERROR) + " (" + std::strerror(error.systemError) + ")";
    return Msg::FILE_ERROR;
}

std::string FolderOf(const std::string& path)
{
#ifdef _WIN32
    const std::string::size_type slash = path.find_last_of("/\\");
#else
    const std::string::size_type slash = path.rfind('/');
#endif
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::string FileFailureDetail(const FileError& error, bool scratch)
{
    if (!scratch)
        return error.path + ": " + ReasonOf(error);
    return Msg::SCRATCH_FILE_IN + FolderOf(error.path) + ": " + ReasonOf(error);
}

std::string ProgramWriteDetail(bool subprogram, unsigned confirmed, unsigned possible, unsigned total)
{
    const char* what = subprogram ? Msg::SUBPROGRAM_WORD : Msg::PROGRAM_WORD;
    const std::string written =
        possible > confirmed ? Msg::WordsRange(confirmed, possible) : std::to_string(confirmed);
    std::string text = Msg::EarlierDeleted(what, written, total);
    if (possible > confirmed)
        text += Msg::LAST_BLOCK_UNANSWERED;
    if (confirmed >= total)
        return text + ".";
    if (possible >= total)
        return text + Msg::MaybeIncomplete(what);
    return text + Msg::Incomplete(what);
}

std::string ParameterWriteDetail(std::size_t confirmed, std::size_t total)
{
    return Msg::ParametersPartlyWritten(confirmed, total);
}
