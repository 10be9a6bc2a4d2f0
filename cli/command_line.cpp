// vemsync's arguments read into a CliRequest, and the help text of each command,
// both from one definition of the commands and their options.
#include "cli/command_line.h"

#include <algorithm>

#include "platform/help_formatter.h"

namespace {

// Longest number the dialog's number field takes.
constexpr std::size_t NUMBER_DIGITS = 2;

// Where the words of the line go while it is read.
struct Values {
    std::string port = "COM1";
    std::string trace;
    std::string only;
    bool noClobber = false;
    bool verify = false;
    bool acceptRewrites = false;
    bool subprogram = false;
    bool exact = false;
    std::string number;
    std::string file;
    std::string image;
    std::string folder;
    std::string portName; // the port name `ports map` and `ports unmap` change
    std::string device;
};

// An option that some commands take. The tool takes it too, in front of
// the command, and its help says which commands that is for.
struct SharedOption {
    const char* name;
    const char* value; // the value's placeholder; nullptr for a switch
    std::string Values::*text;
    bool Values::*flag;
    std::vector<std::string> commands;
    const char* help;
};

const SharedOption SHARED_OPTIONS[] = {
    {"--port", "ИМЯ", &Values::port, nullptr, {"read", "write", "compare", "backup", "restore"},
     "COM1 … COM10 (назначенные как в окне)\nили путь к устройству; по умолчанию COM1"},
    {"--no-clobber", nullptr, nullptr, &Values::noClobber, {"read"}, "не заменять существующий ФАЙЛ"},
    {"--verify", nullptr, nullptr, &Values::verify, {"write", "restore"},
     "прочитать записанное обратно и сравнить;\nразличие — код 1"},
    {"--accept-rewrites", nullptr, nullptr, &Values::acceptRewrites, {"write", "check"},
     "строки, которые сохранятся не так, как\nнабраны, перечислить и продолжить"},
    {"--trace", "ФАЙЛ", &Values::trace, nullptr, {"read", "write", "compare"},
     "дописывать в ФАЙЛ каждый запрос и ответ"},
    {"--subprogram", nullptr, nullptr, &Values::subprogram, {"check", "import"},
     "текст подпрограммы: 100 кадров, а не 500"},
    {"--only", "СПИСОК", &Values::only, nullptr, {"restore"},
     "только эти элементы, например\nparams,program:3,subprogram:7"},
    {"--exact", nullptr, nullptr, &Values::exact, {"restore"},
     "удалить и программы, пустые в копии:\nконтроллер будет хранить ровно копию"},
};

void AddShared(CLI::App& app, const SharedOption& option, Values& values, const std::string& help)
{
    if (option.flag != nullptr) {
        app.add_flag(option.name, values.*option.flag, help);
        return;
    }
    const std::string missing = std::string("не хватает значения ") + option.value;
    const CLI::Validator notEmpty(
        [missing](const std::string& value) { return value.empty() ? missing : std::string(); }, "");
    app.add_option(option.name, values.*option.text, help)->type_name(option.value)->check(notEmpty);
}

// A word the command takes after its name.
struct Argument {
    const char* name;
    std::string Values::*value;
    const char* help;
};

// A command: the first line of its description is its line in the tool's help.
struct Command {
    const char* name;
    const char* description;
    std::vector<Argument> arguments;
};

const Command COMMANDS[] = {
    {"read",
     "Из контроллера в файл.\n"
     "Копирует параметры, программу N (1–20) или подпрограмму N (1–50) в ФАЙЛ.\n"
     "К имени добавляется «.paramVem730» или «.prgVem730», если его там ещё нет.\n"
     "Существующий ФАЙЛ заменяется только после успешного обмена.",
     {}},
    {"write",
     "Из файла в контроллер.\n"
     "Копирует ФАЙЛ в контроллер: параметры, программу N (1–20) или\n"
     "подпрограмму N (1–50). Текст программы проверяется и преобразуется до того,\n"
     "как хранимая программа будет удалена. Существующий ФАЙЛ берётся как есть;\n"
     "к имени, под которым файла нет, добавляется «.paramVem730» или «.prgVem730»,\n"
     "если его там нет (в любом регистре букв).\n"
     "Строки, которые сохранятся не так, как написаны (текст после слова, число\n"
     "вне диапазона или нечитаемое, координата без точки, …), перечисляются,\n"
     "и запись отменяется (код 1) прежде, чем в контроллере что-либо изменится.",
     {}},
    {"compare",
     "Сравнение контроллера с файлом.\n"
     "Читает из контроллера параметры, программу N или подпрограмму N и сравнивает\n"
     "их с тем, что сохранила бы запись ФАЙЛА. Ничего не записывается. Расширение\n"
     "добавляется, как при write.\n"
     "Код выхода: 0 — совпадают, 3 — различаются (первое различие печатается),\n"
     "1 — команда не выполнена, 2 — ошибка в командной строке.",
     {}},
    {"check",
     "Проверка текста программы без контроллера.\n"
     "Проверяет текст так же, как команда write, и печатает число кадров.\n"
     "На отвергнутой строке, на тексте без слов или с большим числом строк,\n"
     "чем вмещает область, печатает сообщение команды write, код 1.\n"
     "Строки, которые сохранятся не так, как написаны, перечисляются, код\n"
     "тоже 1. ФАЙЛ берётся как есть, расширение не добавляется.",
     {{"ФАЙЛ", &Values::file, "текст программы"}}},
    {"import",
     "Текст программы в файл образа.\n"
     "Проверяет текст программы и записывает файл образа, который отправила\n"
     "бы команда write. Существующий ОБРАЗ заменяется только после успешного\n"
     "импорта.",
     {{"ФАЙЛ", &Values::file, "текст программы"}, {"ОБРАЗ", &Values::image, "файл образа"}}},
    {"export",
     "Файл образа в текст программы.\n"
     "Записывает текст программы из файла образа так же, как команда read.\n"
     "Существующий ФАЙЛ заменяется только после успешного экспорта.",
     {{"ОБРАЗ", &Values::image, "файл образа"}, {"ФАЙЛ", &Values::file, "текст программы"}}},
    {"backup",
     "Всё из контроллера в папку.\n"
     "Сохраняет всё, что хранит контроллер, в ПАПКУ (создаётся, если её нет):\n"
     "параметры и каждую программу 1–20 и подпрограмму 1–50, где есть хотя бы\n"
     "один кадр, — кадрами (для точного восстановления) и текстом программы;\n"
     "manifest.txt перечисляет все элементы с числом кадров и SHA-256. Копия,\n"
     "уже лежащая в ПАПКЕ, заменяется только полной новой; папка с другими\n"
     "файлами не принимается.",
     {{"ПАПКА", &Values::folder, "папка резервной копии"}}},
    {"restore",
     "Резервная копия из папки в контроллер.\n"
     "Записывает копию, сделанную командой backup, обратно в контроллер.\n"
     "Сначала проверяются опись, все контрольные суммы и системные параметры\n"
     "контроллера; если что-то не сходится, ничего не записывается. Затем из\n"
     "кадров записываются параметры и каждая сохранённая программа и\n"
     "подпрограмма, с отключёнными словами. Программы, пустые в копии,\n"
     "остаются в контроллере как есть, если не задан --exact.",
     {{"ПАПКА", &Values::folder, "папка резервной копии"}}},
    {"ports",
     "Имена портов: список и назначение.\n"
     "Без действия перечисляет COM1 … COM10 с тем, куда ведёт каждое имя, затем\n"
     "найденные последовательные устройства. map связывает COMn с УСТРОЙСТВОМ\n"
     "в папке портов: найденное устройство (/dev/ttyUSB0, ttyUSB0 или его имя в\n"
     "/dev/serial/by-id) связывается по имени из by-id и сохраняет своё имя COM,\n"
     "когда его подключают снова; любой другой существующий путь связывается\n"
     "как задан. unmap убирает связь, и COMn — снова /dev/ttyS(n-1).",
     {}},
};

// What comes after a command's own words: the kinds of data after read,
// write and compare, the changes after ports.
const Command KINDS[] = {
    {"params", "параметры станка", {{"ФАЙЛ", &Values::file, "файл"}}},
    {"program", "программа N, от 1 до 20", {{"N", &Values::number, "номер"}, {"ФАЙЛ", &Values::file, "файл"}}},
    {"subprogram", "подпрограмма N, от 1 до 50",
     {{"N", &Values::number, "номер"}, {"ФАЙЛ", &Values::file, "файл"}}},
};
const Command PORT_CHANGES[] = {
    {"map", "связать COMn с УСТРОЙСТВОМ",
     {{"COMn", &Values::portName, "имя порта"}, {"УСТРОЙСТВО", &Values::device, "устройство или путь"}}},
    {"unmap", "убрать связь COMn", {{"COMn", &Values::portName, "имя порта"}}},
};

bool TakesKind(const std::string& command)
{
    return command == "read" || command == "write" || command == "compare";
}

CLI::App* AddCommand(CLI::App& parent, const Command& definition, const char* group, Values& values)
{
    CLI::App* command = parent.add_subcommand(definition.name, definition.description)->group(group);
    for (const Argument& argument : definition.arguments)
        command->add_option(argument.name, values.*argument.value, argument.help)->required()->type_name("");
    return command;
}

void DefineCommands(CLI::App& app, Values& values)
{
    PrepareArguments(app);
    app.description("Копирует программы, подпрограммы и параметры станка между контроллером Вем-730\n"
                    "и файлами и проверяет тексты программ без контроллера.");
    app.fallthrough(); // an option after the command that the command lacks is the tool's
    app.require_subcommand(1);
    for (const Command& definition : COMMANDS) {
        CLI::App* command = AddCommand(app, definition, "Команды", values);
        for (const SharedOption& option : SHARED_OPTIONS) {
            const std::vector<std::string>& takers = option.commands;
            if (std::find(takers.begin(), takers.end(), definition.name) != takers.end())
                AddShared(*command, option, values, option.help);
        }
        if (TakesKind(definition.name)) {
            command->require_subcommand(1);
            for (const Command& kind : KINDS)
                AddCommand(*command, kind, "Виды данных", values);
        } else if (std::string(definition.name) == "ports") {
            command->require_subcommand(0, 1);
            for (const Command& change : PORT_CHANGES)
                AddCommand(*command, change, "Действия", values);
        }
    }
    for (const SharedOption& option : SHARED_OPTIONS) {
        const char* between = option.commands.size() > 1 ? ":\n" : ": ";
        AddShared(app, option, values, Enumeration(option.commands, "и") + between + option.help);
    }
    // Set last: a command takes its parent's footer when it is made.
    app.footer("«vemsync КОМАНДА --help» — справка по одной команде.\n\n"
               "Код выхода: 0 — успешно, 1 — команда не выполнена (сообщение говорит почему),\n"
               "2 — ошибка в командной строке, 3 — compare нашёл различие.");
}

// An option given in front of a command that does not take it.
std::string MisplacedOption(const CLI::App& app, const CLI::App& command)
{
    for (const SharedOption& option : SHARED_OPTIONS) {
        if (app.get_option(option.name)->count() > 0 && command.get_option_no_throw(option.name) == nullptr)
            return std::string(option.name) + " относится только к " +
                   (option.commands.size() > 1 ? "командам " : "команде ") + Enumeration(option.commands, "и");
    }
    return "";
}

// vemsync's command tree with the values it fills.
struct Tool {
    Values values;
    CLI::App app{"", "vemsync"};
    Tool() { DefineCommands(app, values); }
};

CliRequest::Kind KindNamed(const std::string& name)
{
    return name == "params" ? CliRequest::Kind::Parameters
           : name == "program" ? CliRequest::Kind::Program
                               : CliRequest::Kind::Subprogram;
}

void FillBackup(const Values& values, VemsyncCommandLine& line)
{
    BackupRequest& request = line.backup.emplace();
    request.action = line.command == "backup" ? BackupRequest::Action::Backup : BackupRequest::Action::Restore;
    request.folder = values.folder;
    if (request.folder.empty()) {
        line.error = "пустое имя папки; запуск: vemsync " + line.command + " ПАПКА";
        line.backup.reset();
        return;
    }
    request.port = values.port;
    request.verify = values.verify;
    request.exact = values.exact;
    if (!values.only.empty()) {
        request.only = ParseItemList(values.only, line.error);
        if (!request.only)
            line.backup.reset();
    }
}

// `chosen` is what follows the command: the kind of data, the port change.
void FillRequest(const Values& values, const std::string& chosen, VemsyncCommandLine& line)
{
    CliRequest request;
    request.number = values.number;
    request.file = values.file;
    request.image = values.image;
    request.port = values.port;
    request.trace = values.trace;
    request.noClobber = values.noClobber;
    request.acceptRewrites = values.acceptRewrites;
    request.verify = values.verify;
    const std::string& name = line.command;
    if (TakesKind(name)) {
        request.action = name == "read"    ? CliRequest::Action::Read
                         : name == "write" ? CliRequest::Action::Write
                                           : CliRequest::Action::Compare;
        request.kind = KindNamed(chosen);
        const bool digits = !values.number.empty() && values.number.size() <= NUMBER_DIGITS &&
                            std::all_of(values.number.begin(), values.number.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
        if (request.kind != CliRequest::Kind::Parameters && !digits) {
            line.error = std::string(request.kind == CliRequest::Kind::Program ? "номер программы"
                                                                              : "номер подпрограммы") +
                         " — одна или две цифры, а не «" + values.number + "»";
            return;
        }
    } else if (name == "ports") {
        request.action = chosen == "map"     ? CliRequest::Action::MapPort
                         : chosen == "unmap" ? CliRequest::Action::UnmapPort
                                             : CliRequest::Action::Ports;
        if (request.action != CliRequest::Action::Ports)
            request.port = values.portName;
        request.device = values.device;
    } else {
        request.action = name == "check"    ? CliRequest::Action::Check
                         : name == "import" ? CliRequest::Action::Import
                                            : CliRequest::Action::Export;
        request.kind = values.subprogram ? CliRequest::Kind::Subprogram : CliRequest::Kind::Program;
    }
    line.request = request;
}

} // namespace

VemsyncCommandLine ReadCommandLine(const std::vector<std::string>& args)
{
    VemsyncCommandLine line;
    Tool tool;
    const ArgumentsRead read = ReadArguments(tool.app, args, line.error);

    const CLI::App* command = &ChosenCommand(tool.app);
    while (command != &tool.app && command->get_parent() != &tool.app)
        command = command->get_parent();
    line.command = command == &tool.app ? "" : command->get_name();
    const bool backup = line.command == "backup" || line.command == "restore";
    if (read == ArgumentsRead::Wrong)
        return line;
    if (read == ArgumentsRead::Help) {
        if (backup) {
            line.backup.emplace().helpTopic = line.command;
        } else {
            line.request.emplace().helpTopic = line.command;
        }
        return line;
    }
    line.error = MisplacedOption(tool.app, *command);
    if (!line.error.empty())
        return line;
    if (backup)
        FillBackup(tool.values, line);
    else
        FillRequest(tool.values, ChosenCommand(*command).get_name(), line);
    return line;
}

std::optional<CliRequest> ParseCommandLine(const std::vector<std::string>& args, std::string& error)
{
    VemsyncCommandLine line = ReadCommandLine(args);
    if (line.backup)
        line.error = "команда " + line.command + " здесь не выполняется";
    error = line.error;
    return line.request;
}

std::string HelpText(const std::string& topic)
{
    const Tool tool;
    const CLI::App* command = CommandNamed(tool.app, topic);
    return command != nullptr ? command->help() : tool.app.help();
}
