// vem730-sim's arguments read into its options, with every value checked for range.
#include "sim/command_line.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "platform/help_formatter.h"

namespace {

// A whole number from 0 to `highest`, or the reason it is not.
CLI::Validator NumberUpTo(unsigned long highest)
{
    return CLI::Validator(
        [highest](const std::string& text) {
            unsigned long value = 0;
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (ec == std::errc() && end == text.data() + text.size() && !text.empty() && value <= highest)
                return std::string();
            return "нужно число от 0 до " + std::to_string(highest) + ", а не «" + text + "»";
        },
        "");
}

template <typename T>
void AddSize(CLI::App& app, const char* name, const char* value, std::optional<T>& size, const char* help)
{
    app.add_option_function<std::string>(
           name, [&size](const std::string& text) { size = static_cast<T>(std::stoul(text)); }, help)
        ->type_name(value)
        ->check(NumberUpTo(std::numeric_limits<T>::max()));
}

void DefineOptions(CLI::App& app, CommandLine& out, std::vector<std::string>& faults)
{
    PrepareArguments(app);
    app.description("Имитатор контроллера Вем-730: отвечает на запросы линии (Modbus RTU,\n"
                    "функции 20 и 21, адрес 1) на псевдотерминале и хранит свою память в папке.\n"
                    "Когда готов, печатает «pty ПУТЬ» и, с --port, «port ИМЯ»; работает до\n"
                    "SIGINT или SIGTERM.");
    SimOptions& o = out.options;
    app.add_option("--store", o.storeDir,
                   "папка хранилища (по умолчанию\n"
                   "$XDG_DATA_HOME/MFCVemSync/sim или\n"
                   "~/.local/share/MFCVemSync/sim); новая папка\n"
                   "заполняется образцами параметров и программ")
        ->type_name("ПАПКА");
    app.add_option("--port", out.portName,
                   "ещё и опубликовать pty под ИМЕНЕМ (например, COM3)\n"
                   "ссылкой в папке портов\n"
                   "($XDG_DATA_HOME/MFCVemSync/ports или\n"
                   "~/.local/share/MFCVemSync/ports); при выходе она\n"
                   "удаляется. Ссылка с этим именем, оставленная убитым\n"
                   "имитатором (ведущая в никуда или на терминал,\n"
                   "занятый другим), заменяется, о чём говорится в\n"
                   "stderr; файл с этим именем, не ссылка, не\n"
                   "принимается")
        ->type_name("ИМЯ");
    AddSize(app, "--general-size", "G", o.descriptor.generalParamSize,
            "блок общих параметров, байт (0–65535;\nпо умолчанию 450)");
    AddSize(app, "--axis-size", "A", o.descriptor.axisParamSize,
            "блок одной оси, байт (0–65535; по умолчанию 120)");
    AddSize(app, "--axes", "N", o.descriptor.axisCount, "число осей (0–255; по умолчанию 4)");
    AddSize(app, "--frame-size", "F", o.descriptor.frameSize,
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
            "системных параметров на стороне ПК.");
    app.add_flag("--pace", o.pace,
                 "отвечать в темпе линии: 10 бит на байт при\n"
                 "38400 бод, после времени самого запроса на линии");
    app.add_flag_callback("--empty-write-reply", [&o] { o.echoWrites = false; },
                          "отвечать на запись без данных (N = 0), а не эхом");
    app.add_option("--log", o.logPath,
                   "дописывать в ФАЙЛ каждый запрос и ответ, по строке:\n"
                   "  ВРЕМЯ REQ|REP|DROP байты  /  ВРЕМЯ NOREPLY причина")
        ->type_name("ФАЙЛ");
    app.add_option("--fault", faults,
                   "внести сбой (можно повторять). РЕЖИМ: silent,\n"
                   "bad-crc, exception, short (без последнего байта),\n"
                   "oversize (N = 254), extra-data, gap[=МС] (пауза\n"
                   "внутри ответа, по умолчанию 200), trailing (байты\n"
                   "после CRC), delay[=МС] (по умолчанию 300), corrupt\n"
                   "(запись хранится с одним изменённым байтом, ответ\n"
                   "как обычно). ЦЕЛЬ: always, descriptor, params,\n"
                   "size, block-read, delete, block-write или nth=N\n"
                   "(N-й запрос, считая с 1). Например:\n"
                   "--fault silent:block-read --fault bad-crc:nth=3")
        ->type_name("РЕЖИМ[=МС]:ЦЕЛЬ")
        ->expected(1)
        ->take_all()
        ->check(CLI::Validator(
            [](const std::string& text) {
                return ParseFaultRule(text) ? std::string() : "не правило сбоя: «" + text + "» (см. --help)";
            },
            ""));
    app.footer("Код выхода: 0 после SIGINT или SIGTERM, 1 — имитатор не может запуститься\n"
               "(хранилище недоступно для записи или повреждено, нет pty, имя порта занято\n"
               "файлом), 2 — ошибка в командной строке.");
}

} // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error)
{
    out = CommandLine{};
    std::vector<std::string> faults;
    CLI::App app("", "vem730-sim");
    DefineOptions(app, out, faults);
    switch (ReadArguments(app, args, error)) {
    case ArgumentsRead::Wrong:
        return false;
    case ArgumentsRead::Help:
        out.help = true;
        return true;
    case ArgumentsRead::Work:
        break;
    }
    for (const std::string& fault : faults)
        out.options.faults.push_back(*ParseFaultRule(fault));
    return true;
}

std::string HelpText()
{
    CommandLine out;
    std::vector<std::string> faults;
    CLI::App app("", "vem730-sim");
    DefineOptions(app, out, faults);
    return app.help();
}
