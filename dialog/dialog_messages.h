// The texts the dialog shows of its own; the commands bring theirs.
#pragma once

namespace DialogMsg {

inline constexpr const char* TITLE = "MFCVemSync";

// The kind list, sorted as the list shows it.
inline constexpr const char* KIND_PARAMETERS = "Параметры";
inline constexpr const char* KIND_SUBPROGRAM = "Подпрограмма";
inline constexpr const char* KIND_PROGRAM = "Программа";

inline constexpr const char* STATUS_OPEN = "Открыт";
inline constexpr const char* STATUS_CLOSED = "Не открыт";
// Enter with a port name longer than the field takes; %1 is the limit.
inline constexpr const char* TOO_LONG = "Enter no more than %1 characters.";

// Before Read replaces a file, about the file it will really write; %1 is
// its name.
inline constexpr const char* REPLACE_QUESTION = "%1 уже существует.\nЗаменить его?";

// The close button while a command runs.
inline constexpr const char* BUSY = "Идёт обмен с контроллером.";
inline constexpr const char* BUSY_DETAIL = "Окно можно закрыть, когда обмен закончится.";

// The context menu.
inline constexpr const char* MENU_PORT_SETUP = "Настройка портов…";
inline constexpr const char* MENU_TRACE = "Журнал обмена…";
inline constexpr const char* MENU_VERIFY = "Проверять после записи";
inline constexpr const char* MENU_COMPARE = "Сравнить с файлом…";
// Where the menu is found: the tooltip of every spot of the window without
// one of its own.
inline constexpr const char* MENU_HINT =
    "Правая кнопка мыши на свободном месте окна (или Shift+F10) открывает меню: настройка портов, "
    "журнал обмена, проверка после записи, сравнение с файлом, сохранение и восстановление "
    "всего контроллера, о программе.";

// The trace window: its copy action, and the widest meaning its meaning
// column is made for.
inline constexpr const char* TRACE_COPY = "Копировать";
inline constexpr const char* TRACE_WIDEST_MEANING = "чтение: подпрограмма 50, номер записи 0, длина 600 → 160 байт";

// The port setup on Windows, where COMn is the port itself.
inline constexpr const char* HARDWARE_ID = "Код оборудования";
inline constexpr const char* PORT_NUMBER_HINT =
    "Номер COM-порта даёт устройству Windows. Список окна предлагает COM1 … COM10; чтобы сменить "
    "номер порта, откройте Диспетчер устройств, раздел «Порты (COM и LPT)», свойства порта, вкладку "
    "«Параметры порта», кнопку «Дополнительно» и выберите номер COM-порта.";

// What the bar says when a command has ended.
inline constexpr const char* BAR_FAILED = "Ошибка";
inline constexpr const char* BAR_REFUSED = "Отменено";
inline constexpr const char* BAR_SAME = "Совпадает";
inline constexpr const char* BAR_DIFFERS = "Отличается";
// Takes the place of "Записано" when the write was read back and matched.
inline constexpr const char* BAR_VERIFIED = "Записано и проверено";

// A setting the settings file did not take; %1 is the setting, %2 the file.
inline constexpr const char* SETTING_NOT_SAVED = "Настройка не сохранена";
inline constexpr const char* SETTING_NOT_SAVED_DETAIL =
    "«%1» действует только до закрытия программы: файл настроек %2 недоступен для записи. "
    "Проверьте права на этот файл и его папку.";

} // namespace DialogMsg
