// The second line under a warning: a file failure's cause and a write's partial state.
#include "transfer/failure_detail.h"

#include <cerrno>
#include <cstring>

namespace {

std::string ReasonOf(const FileError& error)
{
    switch (error.systemError) {
    case EROFS:
        return "диск только для чтения";
    case EISDIR:
        return "это папка, а не файл";
    case ENAMETOOLONG:
        return "слишком длинное имя";
    case ELOOP:
        return "замкнутая цепочка символических ссылок";
    default:
        break;
    }
    switch (error.cause) {
    case FileErrorCause::NotFound:
        return "файл не найден";
    case FileErrorCause::BadPath:
        return "недопустимое имя файла";
    case FileErrorCause::TooManyOpenFiles:
        return "слишком много открытых файлов";
    case FileErrorCause::AccessDenied:
        return "нет доступа";
    case FileErrorCause::HardwareIo:
        return "ошибка ввода-вывода";
    case FileErrorCause::DiskFull:
        return "нет места на диске";
    case FileErrorCause::EndOfFile:
        return "файл короче, чем ожидалось";
    case FileErrorCause::NotRegular:
        return "не обычный файл";
    case FileErrorCause::InUse:
        return "файл открыт в другой программе";
    case FileErrorCause::Generic:
        break;
    }
    if (error.systemError != 0)
        return std::string("ошибка файла (") + std::strerror(error.systemError) + ")";
    return "ошибка файла";
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
    return "временный файл в " + FolderOf(error.path) + ": " + ReasonOf(error);
}

std::string ProgramWriteDetail(bool subprogram, unsigned written, unsigned total)
{
    const char* what = subprogram ? "подпрограмма" : "программа";
    return std::string("Прежняя ") + what + " в Вем-730 удалена; записано " + std::to_string(written) +
           " из " + std::to_string(total) + " слов: в контроллере неполная " + what + ".";
}

std::string ParameterWriteDetail(std::size_t confirmed, std::size_t total)
{
    return "Вем-730 подтвердил запись " + std::to_string(confirmed) + " из " + std::to_string(total) +
           " байт параметров: параметры в контроллере могут быть записаны частично.";
}
