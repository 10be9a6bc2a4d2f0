// vemsync's own texts: its help, its usage errors, its refusals and the
// trace file's; the commands bring their messages from their own layers.
#pragma once

#include <string>

// The help, laid out by the argument reader from these texts.
namespace CliHelp {

inline constexpr const char* TOOL =
    "Копирует программы, подпрограммы и параметры станка между контроллером Вем-730\n"
    "и файлами и проверяет тексты программ без контроллера.";
inline constexpr const char* FOOTER =
    "«vemsync КОМАНДА --help» — справка по одной команде.\n\n"
    "Код выхода: 0 — успешно, 1 — команда не выполнена (сообщение говорит почему),\n"
    "2 — ошибка в командной строке, 3 — compare нашёл различие.";

// The commands: the first line is the command's line in the tool's help.
inline constexpr const char* READ =
    "Из контроллера в файл.\n"
    "Копирует параметры, программу N (1–20) или подпрограмму N (1–50) в ФАЙЛ.\n"
    "К имени добавляется «.paramVem730» или «.prgVem730», если его там ещё нет.\n"
    "Существующий ФАЙЛ заменяется только после успешного обмена.";
inline constexpr const char* WRITE =
    "Из файла в контроллер.\n"
    "Копирует ФАЙЛ в контроллер: параметры, программу N (1–20) или\n"
    "подпрограмму N (1–50). Текст программы проверяется и преобразуется до того,\n"
    "как хранимая программа будет удалена. Существующий ФАЙЛ берётся как есть;\n"
    "к имени, под которым файла нет, добавляется «.paramVem730» или «.prgVem730»,\n"
    "если его там нет (в любом регистре букв).\n"
    "Строки, которые сохранятся не так, как написаны (текст после слова, число\n"
    "вне диапазона или нечитаемое, координата без точки, …), перечисляются,\n"
    "и запись отменяется (код 1) прежде, чем в контроллере что-либо изменится.";
inline constexpr const char* COMPARE =
    "Сравнение контроллера с файлом.\n"
    "Читает из контроллера параметры, программу N или подпрограмму N и сравнивает\n"
    "их с тем, что сохранила бы запись ФАЙЛА. Ничего не записывается. Расширение\n"
    "добавляется, как при write.\n"
    "Код выхода: 0 — совпадают, 3 — различаются (первое различие печатается),\n"
    "1 — команда не выполнена, 2 — ошибка в командной строке.";
inline constexpr const char* CHECK =
    "Проверка текста программы без контроллера.\n"
    "Проверяет текст так же, как команда write, и печатает число кадров.\n"
    "На отвергнутой строке, на тексте без слов или с большим числом строк,\n"
    "чем вмещает область, печатает сообщение команды write, код 1.\n"
    "Строки, которые сохранятся не так, как написаны, перечисляются, код\n"
    "тоже 1. ФАЙЛ берётся как есть, расширение не добавляется.";
inline constexpr const char* IMPORT =
    "Текст программы в файл образа.\n"
    "Проверяет текст программы и записывает файл образа, который отправила\n"
    "бы команда write. Существующий ОБРАЗ заменяется только после успешного\n"
    "импорта.";
inline constexpr const char* EXPORT =
    "Файл образа в текст программы.\n"
    "Записывает текст программы из файла образа так же, как команда read.\n"
    "Существующий ФАЙЛ заменяется только после успешного экспорта.";
inline constexpr const char* BACKUP =
    "Всё из контроллера в папку.\n"
    "Сохраняет всё, что хранит контроллер, в ПАПКУ (создаётся, если её нет):\n"
    "параметры и каждую программу 1–20 и подпрограмму 1–50, где есть хотя бы\n"
    "один кадр, — кадрами (для точного восстановления) и текстом программы;\n"
    "manifest.txt перечисляет все элементы с числом кадров и SHA-256. Копия,\n"
    "уже лежащая в ПАПКЕ, заменяется только полной новой; папка с другими\n"
    "файлами не принимается.";
inline constexpr const char* RESTORE =
    "Резервная копия из папки в контроллер.\n"
    "Записывает копию, сделанную командой backup, обратно в контроллер.\n"
    "Сначала проверяются опись, все контрольные суммы и системные параметры\n"
    "контроллера; если что-то не сходится, ничего не записывается. Затем из\n"
    "кадров записываются параметры и каждая сохранённая программа и\n"
    "подпрограмма, с отключёнными словами. Программы, пустые в копии,\n"
    "остаются в контроллере как есть, если не задан --exact.";
inline constexpr const char* PORTS =
    "Имена портов: список и назначение.\n"
    "Без действия перечисляет COM1 … COM10 с тем, куда ведёт каждое имя, затем\n"
    "найденные последовательные устройства. map связывает COMn с УСТРОЙСТВОМ\n"
    "в папке портов: найденное устройство (/dev/ttyUSB0, ttyUSB0 или его имя в\n"
    "/dev/serial/by-id) связывается по имени из by-id и сохраняет своё имя COM,\n"
    "когда его подключают снова; любой другой существующий путь связывается\n"
    "как задан. unmap убирает связь, и COMn — снова /dev/ttyS(n-1).";

// What follows read, write and compare, and ports.
inline constexpr const char* PARAMS = "параметры станка";
inline constexpr const char* PROGRAM = "программа N, от 1 до 20";
inline constexpr const char* SUBPROGRAM = "подпрограмма N, от 1 до 50";
inline constexpr const char* MAP = "связать COMn с УСТРОЙСТВОМ";
inline constexpr const char* UNMAP = "убрать связь COMn";

// The groups of the help.
inline constexpr const char* COMMANDS = "Команды";
inline constexpr const char* KINDS = "Виды данных";
inline constexpr const char* ACTIONS = "Действия";

// The words a command takes and the values of options, and what each is.
inline constexpr const char* ARG_NAME = "ИМЯ";
inline constexpr const char* ARG_FILE = "ФАЙЛ";
inline constexpr const char* ARG_IMAGE = "ОБРАЗ";
inline constexpr const char* ARG_FOLDER = "ПАПКА";
inline constexpr const char* ARG_LIST = "СПИСОК";
inline constexpr const char* ARG_DEVICE = "УСТРОЙСТВО";
inline constexpr const char* PROGRAM_TEXT = "текст программы";
inline constexpr const char* IMAGE_FILE = "файл образа";
inline constexpr const char* BACKUP_FOLDER = "папка резервной копии";
inline constexpr const char* ANY_FILE = "файл";
inline constexpr const char* NUMBER = "номер";
inline constexpr const char* PORT_NAME = "имя порта";
inline constexpr const char* DEVICE_OR_PATH = "устройство или путь";

// The options.
inline constexpr const char* PORT_OPTION =
    "COM1 … COM10 (назначенные как в окне)\nили путь к устройству; по умолчанию COM1";
inline constexpr const char* NO_CLOBBER_OPTION = "не заменять существующий ФАЙЛ";
inline constexpr const char* VERIFY_OPTION = "прочитать записанное обратно и сравнить;\nразличие — код 1";
inline constexpr const char* ACCEPT_REWRITES_OPTION =
    "строки, которые сохранятся не так, как\nнабраны, перечислить и продолжить";
inline constexpr const char* TRACE_OPTION = "дописывать в ФАЙЛ каждый запрос и ответ";
inline constexpr const char* SUBPROGRAM_OPTION = "текст подпрограммы: 100 кадров, а не 500";
inline constexpr const char* ONLY_OPTION = "только эти элементы, например\nparams,program:3,subprogram:7";
inline constexpr const char* EXACT_OPTION =
    "удалить и программы, пустые в копии:\nконтроллер будет хранить ровно копию";
// Between the commands an option is for in the tool's help.
inline constexpr const char* AND = "и";

} // namespace CliHelp

// What vemsync says of its own, after "vemsync: " or under a message.
namespace CliMsg {

// Usage errors.
inline std::string MissingValue(const std::string& value)
{
    return "не хватает значения " + value;
}
inline std::string OnlyFor(const std::string& option, bool several, const std::string& commands)
{
    return option + " относится только к " + (several ? "командам " : "команде ") + commands;
}
inline std::string PortNotInList(const std::string& name)
{
    return "нет порта «" + name + "» в списке: COM1 … COM10, или путь к устройству";
}
inline std::string EmptyFolder(const std::string& command)
{
    return "пустое имя папки; запуск: vemsync " + command + " ПАПКА";
}
inline std::string BadNumber(bool program, const std::string& typed)
{
    return std::string(program ? "номер программы" : "номер подпрограммы") + " — одна или две цифры, а не «" +
           typed + "»";
}
inline std::string NotRunHere(const std::string& command)
{
    return "команда " + command + " здесь не выполняется";
}
inline constexpr const char* NO_BACKUP_COMMAND = "не указана команда backup или restore";
inline std::string NotAnItem(const std::string& word)
{
    return "--only: «" + word +
           "» — не элемент копии (params, program:1 … program:20, subprogram:1 … subprogram:50)";
}
inline constexpr const char* NO_ITEMS = "--only: нужен список элементов, например params,program:3,subprogram:7";
inline constexpr const char* SAME_FILE = "файл программы и файл образа — один и тот же файл";

// The commands' refusals and failures of the tool itself.
inline std::string NoClobber(const std::string& path)
{
    return path + " уже существует; с --no-clobber он не заменяется";
}
inline constexpr const char* NOTHING_WRITTEN =
    "ничего не записано; с --accept-rewrites программа записывается так, как перечислено выше";
inline constexpr const char* TEXT_NOT_TAKEN = "с --accept-rewrites текст принимается так, как перечислено выше";
inline std::string NoSignals(const std::string& reason)
{
    return "не удалось подготовить обработку Ctrl-C и SIGTERM: " + reason;
}
inline std::string OutputLost(const std::string& reason)
{
    return "стандартный вывод не записан: " + reason;
}

// vemsync ports.
inline constexpr const char* DEVICES = "Устройства:";
inline constexpr const char* NO_DEVICES = " не найдены";
inline std::string DeviceNotFound(const std::string& device)
{
    return "устройство " + device + " не найдено (vemsync ports покажет найденные)";
}
inline constexpr const char* NO_MAPPING_HERE =
    "на Windows порты не назначаются: COMn — это сам порт системы.\n"
    "Какие COM-порты есть, показывает Диспетчер устройств (Порты COM и LPT).";

// The trace file.
inline constexpr const char* TRACE_NOT_OPENED = "Не могу открыть журнал обмена";
inline constexpr const char* TRACE_INCOMPLETE = "Журнал обмена записан не полностью";
// Details under TRACE_NOT_OPENED, after the file's name.
inline constexpr const char* TRACE_NOT_REGULAR = "не обычный файл: журнал пишется только в файл";
inline constexpr const char* TRACE_PLANTED_LINK =
    "символическая ссылка в папке, куда могут писать другие: по ней журнал не пишется";
inline constexpr const char* TRACE_IS_THE_FILE = "это файл, который команда читает или пишет";
inline constexpr const char* TRACE_IN_THE_FOLDER = "это файл в папке резервной копии: журнал пишется вне её";

} // namespace CliMsg
