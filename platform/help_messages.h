// The words of both programs' help and usage errors, around the names the argument reader knows.
#pragma once

// "Запуск: vemsync КОМАНДА [АРГУМЕНТЫ] [КЛЮЧИ]", then the groups of the help.
namespace HelpMsg {

inline constexpr const char* USAGE = "Запуск: ";
inline constexpr const char* COMMAND_AND_ARGUMENTS = "КОМАНДА [АРГУМЕНТЫ]";
inline constexpr const char* OPTIONS_MARK = " [КЛЮЧИ]";
inline constexpr const char* OPTIONS = "Ключи";
inline constexpr const char* ARGUMENTS = "Аргументы";
inline constexpr const char* HELP_FLAG = "эта справка";

// Usage errors: "лишний аргумент «x»; запуск: vemsync backup ПАПКА".
inline constexpr const char* OR = "или";
inline constexpr const char* HELP_HINT = "; справка: ";
inline constexpr const char* USAGE_HINT = "; запуск: ";
inline constexpr const char* UNKNOWN_OPTION = "неизвестный ключ ";
inline constexpr const char* UNKNOWN_COMMAND = "неизвестная команда «";
inline constexpr const char* AFTER = "после ";
inline constexpr const char* NEEDS = " нужно ";
inline constexpr const char* RATHER_THAN = ", а не «";
inline constexpr const char* EXTRA_ARGUMENT = "лишний аргумент «";
inline constexpr const char* NO_COMMAND = "не указана команда: ";
inline constexpr const char* MISSING_ARGUMENTS = "не хватает аргументов";
inline constexpr const char* MISSING_VALUE = ": не хватает значения ";
inline constexpr const char* BAD_LINE = "неверная командная строка";

} // namespace HelpMsg
