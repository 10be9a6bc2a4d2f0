// The file layer's messages, each with %1 where the file's path goes.
#pragma once

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

} // namespace FileMsg
