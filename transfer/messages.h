// The texts the user sees from Read, Write and Compare, the dialog and the CLI alike.
#pragma once

// The texts the user sees. They are the system's own and stay exactly as
// they are, the dialog and the command-line front end alike.
namespace Msg {

inline constexpr const char* PORT_CLOSED = "Перед началом работы выбирете свободный COM порт!";
inline constexpr const char* DESCRIPTOR_FAILED = "Сбой чтения системных параметров Вем-730!";
inline constexpr const char* DESCRIPTOR_UNSUPPORTED = "Неподдерживаемые системные параметры Вем-730!";
inline constexpr const char* CANNOT_OPEN_FILE = "Не могу открыть файл";

inline constexpr const char* GENERAL_READ_FAILED = "Ошибка чтения общих параметров";
inline constexpr const char* AXIS_READ_FAILED = "Ошибка чтения параметров осей";
inline constexpr const char* PARAM_FILE_SIZE = "Неверный размер файла параметров";
inline constexpr const char* GENERAL_WRITE_FAILED = "Ошибка записи общих параметров";
inline constexpr const char* AXIS_WRITE_FAILED = "Ошибка записи параметров осей";

inline constexpr const char* PROGRAM_RANGE = "Допустимые значения от 1 до 20";
inline constexpr const char* SUBPROGRAM_RANGE = "Допустимые значения от 1 до 50";
inline constexpr const char* SIZE_QUERY_FAILED = "Ошибка связи при чтении размера программы";
inline constexpr const char* PROGRAM_READ_FAILED = "Ошибка чтения программы";
inline constexpr const char* SUBPROGRAM_READ_FAILED = "Ошибка чтения подпрограммы";
inline constexpr const char* DECODE_FAILED = "Ошибка декодирования считанной программы";
// Followed by the line's number in decimal.
inline constexpr const char* LINE_REJECTED = "Ошибка в записываемой программе, строка: ";
inline constexpr const char* PROGRAM_SIZE = "Недопустимый размер программы";
inline constexpr const char* PROGRAM_DELETE_FAILED = "Ошибка удаления программы";
inline constexpr const char* SUBPROGRAM_DELETE_FAILED = "Ошибка удаления подпрограммы";
inline constexpr const char* PROGRAM_WRITE_FAILED = "Ошибка записи программы";
inline constexpr const char* SUBPROGRAM_WRITE_FAILED = "Ошибка записи подпрограммы";

// Asked before a program is stored when some of its lines are not taken as
// written; the lines go in the detail.
inline constexpr const char* ACCEPT_REWRITES = "Записать программу в таком виде?";
inline constexpr const char* REWRITES_HEADER = "Эти строки будут записаны не так, как написаны:";
// The detail of a rejected line that is a disabled word.
inline constexpr const char* DISABLED_LINE =
    "Слово отключено в контроллере («//») и не может быть записано обратно как отключённое. "
    "Уберите «//», чтобы включить его, или удалите строку.";
// A write stopped at a block's end because the program is being ended; the
// detail says what the controller holds.
inline constexpr const char* WRITE_INTERRUPTED = "Запись прервана";
inline constexpr const char* VERIFY_DIFFERS = "Проверка после записи: данные в контроллере отличаются";
inline constexpr const char* COMPARE_SAME = "Данные в контроллере совпадают с файлом";
inline constexpr const char* COMPARE_DIFFERS = "Данные в контроллере отличаются от файла";
// Heads the lines of a compared file that the controller would not hold as
// they are written.
inline constexpr const char* COMPARE_REWRITES_HEADER =
    "Эти строки файла контроллер не хранит так, как они написаны:";

// The line under a link step's message: what the line did, and what to do.
// A count follows where a text ends in a space; CAUSE_MS closes it.
inline constexpr const char* CAUSE_NO_REPLY = "Контроллер ничего не ответил за ";
inline constexpr const char* CAUSE_NO_REPLY_TODO =
    " мс. Проверьте кабель, питание контроллера и что выбран нужный порт.";
inline constexpr const char* CAUSE_CUT_OFF = "Ответ контроллера оборвался: начало пришло, продолжения не было ";
inline constexpr const char* CAUSE_CUT_OFF_TODO = " мс. Проверьте разъёмы и кабель, затем повторите команду.";
inline constexpr const char* CAUSE_GARBLED_COUNT =
    "Ответ контроллера искажён: в нём объявлено больше данных, чем бывает в ответе.";
inline constexpr const char* CAUSE_GARBLED_CRC = "Ответ контроллера искажён: не сходится контрольная сумма (CRC).";
inline constexpr const char* CAUSE_GARBLED_TODO =
    " Проверьте скорость порта (38400 бод), длину кабеля и нет ли рядом с ним помех.";
// Followed by the code, then its meaning in brackets where it has a known one.
inline constexpr const char* CAUSE_REFUSED = "Контроллер отказал в запросе: код исключения ";
inline constexpr const char* EXCEPTION_ILLEGAL_FUNCTION = "функция не поддерживается";
inline constexpr const char* EXCEPTION_ILLEGAL_ADDRESS = "нет такого файла или записи";
inline constexpr const char* EXCEPTION_ILLEGAL_VALUE = "недопустимое значение в запросе";
inline constexpr const char* EXCEPTION_DEVICE_FAILURE = "сбой в контроллере";
inline constexpr const char* EXCEPTION_BUSY = "контроллер занят";
inline constexpr const char* CAUSE_SHORT_DATA = "Контроллер ответил, но прислал меньше данных, чем было запрошено.";
// The port's name goes between the two.
inline constexpr const char* CAUSE_PORT_GONE = "Устройство порта ";
inline constexpr const char* CAUSE_PORT_GONE_TODO =
    " пропало: адаптер отключён или контроллер выключен. Порт закрыт; когда устройство вернётся, "
    "он откроется снова.";
inline constexpr const char* CAUSE_PORT_CLOSED = "Порт не открыт: запрос не отправлен.";
// Under the descriptor's message, which names no data the user asked for.
inline constexpr const char* DESCRIPTOR_ASKED_FIRST =
    "Каждая команда сначала запрашивает у Вем-730 его размеры (системные параметры), "
    "и только потом — сами данные.";

// File dialog filters, as pairs of description and pattern.
inline constexpr const char* PARAMETER_FILTER = "Параметры Вем-730 (*.paramVem730);;All Files (*)";
inline constexpr const char* PROGRAM_FILTER = "Программы Вем-730 (*.prgVem730);;All Files (*)";

} // namespace Msg
