// vem730-sim's texts: its help, its usage errors and why it cannot start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The help, laid out by the argument reader from these texts.
namespace SimHelp {

inline constexpr const char* TOOL =
    "Имитатор контроллера Вем-730: отвечает на запросы линии (Modbus RTU,\n"
    "функции 20 и 21, адрес 1) на псевдотерминале и хранит свою память в папке.\n"
    "Когда готов, печатает «pty ПУТЬ» и, с --port, «port ИМЯ»; работает до\n"
    "SIGINT или SIGTERM.";
inline constexpr const char* STORE_OPTION =
    "папка хранилища (по умолчанию\n"
    "$XDG_DATA_HOME/MFCVemSync/sim или\n"
    "~/.local/share/MFCVemSync/sim); новая папка\n"
    "заполняется образцами параметров и программ";
inline constexpr const char* PORT_OPTION =
    "ещё и опубликовать pty под ИМЕНЕМ (например, COM3)\n"
    "ссылкой в папке портов\n"
    "($XDG_DATA_HOME/MFCVemSync/ports или\n"
    "~/.local/share/MFCVemSync/ports); при выходе она\n"
    "удаляется. Ссылка с этим именем, оставленная убитым\n"
    "имитатором (ведущая в никуда или на терминал,\n"
    "занятый другим), заменяется, о чём говорится в\n"
    "потоке ошибок; файл с этим именем, не ссылка,\n"
    "не принимается";
inline constexpr const char* GENERAL_SIZE_OPTION =
    "блок общих параметров, байт (0–65535;\nпо умолчанию 450)";
inline constexpr const char* AXIS_SIZE_OPTION =
    "блок одной оси, байт (0–65535; по умолчанию 120)";
inline constexpr const char* AXES_OPTION =
    "число осей (0–255; по умолчанию 4)";
inline constexpr const char* FRAME_SIZE_OPTION =
    "кадр программы на линии, байт (0–255;\n"
    "по умолчанию 32; ПК работает только с 32).\n"
    "Заданный размер заменяет хранимый; хранимые блоки\n"
    "параметров тогда обрезаются или дополняются\n"
    "образцом. Незаданные размеры остаются от хранилища\n"
    "(новое берёт значения по умолчанию). Размеры,\n"
    "которые линия не может передать (A больше 243,\n"
    "F равен 0 или больше 48), сообщаются как есть,\n"
    "а на запросы, что не уместятся в кадр, идёт\n"
    "ответ-исключение: так пробуют проверки\n"
    "системных параметров на стороне ПК.";
inline constexpr const char* PACE_OPTION =
    "отвечать в темпе линии: 10 бит на байт при\n"
    "38400 бод, после времени самого запроса на линии";
inline constexpr const char* EMPTY_WRITE_REPLY_OPTION =
    "отвечать на запись без данных (N = 0), а не эхом";
inline constexpr const char* LOG_OPTION =
    "дописывать в ФАЙЛ каждый запрос и ответ, по строке:\n"
    "  ВРЕМЯ REQ|REP|DROP байты  /  ВРЕМЯ NOREPLY причина";
inline constexpr const char* FAULT_OPTION =
    "внести сбой (можно повторять). РЕЖИМ: silent,\n"
    "bad-crc, exception, short (без последнего байта),\n"
    "oversize (N = 254), extra-data, gap[=МС] (пауза\n"
    "внутри ответа, по умолчанию 200), trailing (байты\n"
    "после CRC), delay[=МС] (по умолчанию 300), corrupt\n"
    "(запись хранится с одним изменённым байтом, ответ\n"
    "как обычно). ЦЕЛЬ: always, descriptor, params,\n"
    "size, block-read, delete, block-write или nth=N\n"
    "(N-й запрос, считая с 1). Например:\n"
    "--fault silent:block-read --fault bad-crc:nth=3";
inline constexpr const char* FOOTER =
    "Код выхода: 0 после SIGINT или SIGTERM, 1 — имитатор не может запуститься\n"
    "(хранилище недоступно для записи или повреждено, нет pty, имя порта занято\n"
    "файлом), 2 — ошибка в командной строке.";

// The values of options.
inline constexpr const char* ARG_FOLDER = "ПАПКА";
inline constexpr const char* ARG_NAME = "ИМЯ";
inline constexpr const char* ARG_FILE = "ФАЙЛ";
inline constexpr const char* ARG_FAULT = "РЕЖИМ[=МС]:ЦЕЛЬ";

} // namespace SimHelp

// What the simulator says after "vem730-sim: ", each with the system's
// reason where one failed.
namespace SimMsg {

// Usage errors.
inline std::string NotANumberUpTo(unsigned long highest, const std::string& text)
{
    return "нужно число от 0 до " + std::to_string(highest) + ", а не «" + text + "»";
}
inline std::string NotAFaultRule(const std::string& text)
{
    return "не правило сбоя: «" + text + "» (см. --help)";
}

// The store.
inline constexpr const char* NO_STORE_FOLDER =
    "нет папки хранилища: задайте --store или переменную XDG_DATA_HOME или HOME";
inline constexpr const char* NOT_A_FOLDER = "это не папка";
inline std::string StoreFolderNotMade(const std::string& folder, const std::string& reason)
{
    return "не могу создать папку хранилища " + folder + ": " + reason;
}
inline std::string StoreNotWritable(const std::string& folder, const std::string& reason)
{
    return "в папку хранилища " + folder + " нельзя записывать: " + reason;
}
inline std::string StoreFileNotWritten(const std::string& path, const std::string& reason)
{
    return "не могу записать " + path + ": " + reason;
}
inline std::string StoreFileNotRead(const std::string& path)
{
    return "не могу прочитать " + path;
}
inline std::string StoreDamaged(const std::string& folder, const std::string& file, const std::string& reason)
{
    return "хранилище " + folder + " повреждено: " + file + " — " + reason;
}
inline std::string WrongSize(std::uintmax_t actual, std::size_t expected)
{
    return std::to_string(actual) + " байт вместо " + std::to_string(expected);
}

// The port link.
inline std::string NotAPortName(const std::string& name)
{
    return "не имя порта: «" + name + "»";
}
inline std::string PortFolderNotMade(const std::string& folder, const std::string& reason)
{
    return "не могу создать папку портов " + folder + ": " + reason;
}
inline std::string PortNameTaken(const std::string& link)
{
    return link + " уже есть и это не ссылка: имитатор его не заменяет";
}
inline std::string LinkNotMade(const std::string& link, const std::string& reason)
{
    return "не могу создать ссылку " + link + ": " + reason;
}
inline std::string LinkReplaced(const std::string& link, const std::string& target)
{
    return "прежняя ссылка " + link + " -> " + target + " заменена";
}

// The pseudo-terminal and the rest of the start.
inline constexpr const char* PTY_NOT_OPENED = "не могу открыть псевдотерминал";
inline constexpr const char* PTY_NOT_SET_UP = "не могу подготовить псевдотерминал";
inline constexpr const char* PTY_NOT_NAMED = "не могу узнать имя псевдотерминала";
inline constexpr const char* PTY_SLAVE_NOT_OPENED = "не могу открыть вторую сторону псевдотерминала";
inline constexpr const char* LINE_NOT_READ = "не могу прочитать настройки линии";
inline constexpr const char* LINE_NOT_RAW = "не могу перевести линию в двоичный режим";
inline constexpr const char* PTY_NOT_WATCHED = "не могу следить за псевдотерминалом";
inline constexpr const char* ALREADY_RUNNING = "имитатор уже работает";
inline constexpr const char* NO_STOP_EVENT = "не могу создать событие остановки";
inline constexpr const char* NO_SIGNALS = "не могу подготовить обработку SIGINT и SIGTERM";
inline std::string LogNotOpened(const std::string& path, const std::string& reason)
{
    return "не могу открыть журнал " + path + ": " + reason;
}
// "what: reason" for the failures above that name no file.
inline std::string Failed(const char* what, const std::string& reason)
{
    return std::string(what) + ": " + reason;
}

} // namespace SimMsg
