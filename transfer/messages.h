// The texts the user sees from Read, Write and Compare, the dialog and the CLI alike.
#pragma once

#include <cstddef>
#include <string>

#include "codec/count_text.h"
#include "codec/line_parser.h"

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

// Why a program line is not stored as written, in the order the reading
// meets them. The ignored characters follow IgnoredText's text.
struct RewriteReason {
    LossyKind kind;
    const char* text;
};
inline constexpr RewriteReason REWRITE_REASONS[] = {
    {LossyKind::LineTooLong, "строка длиннее 19 знаков, остаток не прочитан"},
    {LossyKind::NulInLine, "нулевой байт в строке, текст после него не прочитан"},
    {LossyKind::NumberReplaced, "число не прочитано"},
    {LossyKind::IntegerThousandths, "координата без точки читается в тысячных"},
    {LossyKind::DecimalsCut, "знаки после третьего десятичного отброшены"},
    {LossyKind::ValueLimited, "число вне допустимого диапазона"},
    {LossyKind::ReadDifferently, "число читается не так, как написано"},
    {LossyKind::IgnoredText, "пропущено "},
    {LossyKind::NotReadBack, "при чтении из контроллера строка будет выглядеть иначе"},
};
// "строка 7: «G1 X1.23456» → «G1 X1.234» (знаки после третьего десятичного
// отброшены)", and under the listed lines "… и ещё 3 строки".
inline constexpr const char* REWRITTEN_LINE = "строка ";
inline constexpr const char* AND_MORE = "\n… и ещё ";
inline constexpr NounForms LINE_FORMS{"строка", "строки", "строк"};

// Where the controller's data first differ from a file's:
// "Строка 12: в файле «G1 X5», в контроллере «G1 X6»",
// "В контроллере лишняя строка 4: «M2» (в контроллере 4 строки, в файле 3 строки)",
// "Строка 4, в контроллере её нет (…)", "Байт 17: в файле 0x0A, в контроллере 0x0B".
inline constexpr const char* LINE_NUMBER = "Строка ";
inline constexpr const char* IN_FILE = ": в файле ";
inline constexpr const char* IN_CONTROLLER = ", в контроллере ";
inline constexpr const char* EXTRA_LINE = "В контроллере лишняя строка ";
inline constexpr const char* NOT_IN_CONTROLLER = ", в контроллере её нет";
inline constexpr const char* BYTE_NUMBER = "Байт ";
inline std::string LineCounts(const std::string& controller, const std::string& file)
{
    return "в контроллере " + controller + ", в файле " + file;
}
// After a line whose text is the same on both sides.
inline constexpr const char* SERVICE_BYTES_DIFFER = " (кадры отличаются служебными байтами)";
// A frame Read would write no text for.
inline constexpr const char* FRAME_WITHOUT_TEXT = "кадр без текста";
// After "Строка 7: «…»" of a line that reads as no program word.
inline constexpr const char* NOT_A_WORD = " не читается как слово программы";
// What was compared: "Программа 3 и файл p.prgVem730", "Параметры и файл …".
inline constexpr const char* PROGRAM_TITLE = "Программа ";
inline constexpr const char* SUBPROGRAM_TITLE = "Подпрограмма ";
inline constexpr const char* PARAMETERS_TITLE = "Параметры";
inline constexpr const char* AND_FILE = " и файл ";

// The summary of a finished transfer: "Записано: 120 слов".
inline constexpr const char* WRITTEN_COUNT = "Записано: ";
inline constexpr const char* READ_COUNT = "Считано: ";

// Why a file failed, after its path, where the system's words for the error
// say it less plainly; an error with no words here is "ошибка файла" with
// the system's own words in brackets.
inline constexpr const char* FOLDER_NOT_FILE = "это папка, а не файл";
inline constexpr const char* FILE_NOT_FOUND = "файл не найден";
inline constexpr const char* BAD_FILE_NAME = "недопустимое имя файла";
inline constexpr const char* TOO_MANY_OPEN_FILES = "слишком много открытых файлов";
inline constexpr const char* FILE_TOO_SHORT = "файл короче, чем ожидалось";
inline constexpr const char* NOT_REGULAR_FILE = "не обычный файл";
inline constexpr const char* FILE_IN_USE = "файл открыт в другой программе";
inline constexpr const char* FILE_ERROR = "ошибка файла";
// A command's scratch file is named by its folder: "временный файл в /tmp".
inline constexpr const char* SCRATCH_FILE_IN = "временный файл в ";

// What a write that stopped left in the controller: "Прежняя программа в
// Вем-730 удалена; записано от 64 до 96 из 120 слов (ответ на последний
// блок не получен): в контроллере неполная программа."
inline constexpr const char* PROGRAM_WORD = "программа";
inline constexpr const char* SUBPROGRAM_WORD = "подпрограмма";
inline std::string WordsRange(unsigned from, unsigned to)
{
    return "от " + std::to_string(from) + " до " + std::to_string(to);
}
inline std::string EarlierDeleted(const char* what, const std::string& written, unsigned total)
{
    return std::string("Прежняя ") + what + " в Вем-730 удалена; записано " + written + " из " +
           std::to_string(total) + " слов";
}
inline constexpr const char* LAST_BLOCK_UNANSWERED = " (ответ на последний блок не получен)";
inline std::string MaybeIncomplete(const char* what)
{
    return std::string(": ") + what + " в контроллере может быть неполной.";
}
inline std::string Incomplete(const char* what)
{
    return std::string(": в контроллере неполная ") + what + ".";
}
inline std::string ParametersPartlyWritten(std::size_t confirmed, std::size_t total)
{
    return "Вем-730 подтвердил запись " + std::to_string(confirmed) + " из " + std::to_string(total) +
           " байт параметров: параметры в контроллере могут быть записаны частично.";
}

} // namespace Msg
