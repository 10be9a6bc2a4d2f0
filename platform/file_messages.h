// The file layer's messages, each with %1 where the file's path goes, and
// the system's error numbers in an operator's words.
#pragma once

#include <cerrno>

namespace FileMsg {

inline constexpr const char* GENERIC = "Неизвестная ошибка при обращении к файлу %1.";
inline constexpr const char* NOT_FOUND = "Файл %1 не найден.";
inline constexpr const char* BAD_PATH = "Недопустимый путь к файлу: %1.";
inline constexpr const char* TOO_MANY_OPEN = "Файл %1 не открыт: открыто слишком много файлов.";
inline constexpr const char* ACCESS_DENIED = "Нет доступа к файлу %1.";
inline constexpr const char* HARDWARE_IO = "Ошибка ввода-вывода при обращении к файлу %1.";
inline constexpr const char* DISK_FULL = "Нет места на диске для файла %1.";
inline constexpr const char* END_OF_FILE = "Файл %1 короче, чем ожидалось.";
inline constexpr const char* IN_USE = "Файл %1 открыт в другой программе. Закройте его там и повторите.";
inline constexpr const char* NOT_REGULAR = "%1 — не обычный файл.";

// What a failed system call met, for a message's second half ("…: нет
// доступа"). An error not listed is given by its number (ERROR_NUMBER) and
// the system's own words.
struct SystemErrorWords {
    int systemError;
    const char* words;
};
inline constexpr SystemErrorWords SYSTEM_ERRORS[] = {
    {ENOENT, "нет такого файла или папки"},
    {ENOTDIR, "часть пути — не папка"},
    {EACCES, "нет доступа"},
    {EPERM, "нет доступа"},
    {EROFS, "диск только для чтения"},
    {ENOSPC, "нет места на диске"},
    {EEXIST, "уже существует"},
    {EISDIR, "это папка"},
    {ENAMETOOLONG, "слишком длинное имя"},
    {ELOOP, "замкнутая цепочка символических ссылок"},
    {EMFILE, "открыто слишком много файлов"},
    {ENFILE, "открыто слишком много файлов"},
    {ENOMEM, "не хватает памяти"},
    {EAGAIN, "система временно не может выполнить запрос"},
    {EIO, "ошибка ввода-вывода"},
    {EBADF, "файл не открыт"},
    {EPIPE, "читающая сторона закрыта"},
};
inline constexpr const char* ERROR_NUMBER = "системная ошибка ";

} // namespace FileMsg
