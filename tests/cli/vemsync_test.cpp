// vemsync's transfers as a script runs them: the real executable, a port on
// the simulator's pseudo-terminal, its output on pipes or on a terminal.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include "transfer/messages.h"
#include "transfer/transfer_rules.h"
#include "platform/binary_file.h"
#include "cli/cli_messages.h"
#include "tests/cli/vemsync_harness.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> TWELVE_LINES = {
    "G90", "G54", "M6T3", "G0", "X12.345F100", "Y-0.500F05", "G1", "Z-2.000F200",
    "F300", "G4.5", "M3", "M30",
};

// The default store's descriptor: 450 bytes of general parameters and four
// axes of 120 bytes.
constexpr std::size_t PARAMETER_FILE_SIZE = 450 + 4 * 120;

std::string Pattern(std::size_t size, unsigned step)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * step + 1) & 0xFF);
    return bytes;
}

const char* KindWord(DataKind kind)
{
    switch (kind) {
    case DataKind::Parameters:
        return "params";
    case DataKind::Subprogram:
        return "subprogram";
    case DataKind::Program:
        break;
    }
    return "program";
}

// The arguments of a read or write, the number left out for parameters.
std::vector<std::string> TransferArgs(bool read, DataKind kind, const std::string& number,
                                      const std::string& file)
{
    std::vector<std::string> args{read ? "read" : "write", KindWord(kind)};
    if (kind != DataKind::Parameters)
        args.push_back(number);
    args.push_back(file);
    return args;
}

std::vector<std::string> Described(const std::vector<LoggedRequest>& requests)
{
    std::vector<std::string> lines;
    for (const LoggedRequest& r : requests)
        lines.push_back(r.Summary() + " data " + std::to_string(r.data.size()) + " bytes");
    return lines;
}

struct CommandRow {
    const char* name;
    bool read;
    DataKind kind;
    const char* number;
    const char* file;
    std::optional<std::string> input;    // placed at `file` first
    std::optional<std::string> existing; // an earlier file at the read's target
    std::optional<FaultRule> fault;
    std::string message; // the one message expected; empty for success
};

// One command through vemsync and through the dialog's commands, on the same
// controller with the same fault and the same files in folders of their own:
// the same exit, the same messages, the same requests with the same data,
// the same files afterwards.
TEST_F(VemsyncTest, EachCommandDoesWhatTheDialogsCommandDoes)
{
    const std::string program12 = CrLfText(TWELVE_LINES);
    const std::string program3 = CrLfText({"G0", "X0.010F00", "F100"});
    const std::string rejected4 = CrLfText({"G90", "G0", "X1.000F10", "x10", "M30"});
    const std::string parameters = Pattern(PARAMETER_FILE_SIZE, 7);
    std::vector<ProgramFrame> broken = ChainOf({"G90", "G0", "M30"});
    broken[1].setCode(60); // a code without text inside the chain
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 6}, broken));
    const auto bad = [](FaultTarget target) { return FaultRule{FaultMode::BadCrc, target, 0, 0}; };
    const auto nth = [](std::uint32_t n) { return FaultRule{FaultMode::BadCrc, FaultTarget::Nth, n, 0}; };

    const CommandRow rows[] = {
        {"read params", true, DataKind::Parameters, "", "p", {}, {}, {}, ""},
        {"read program", true, DataKind::Program, "1", "p1.prgVem730", {}, {}, {}, ""},
        {"read subprogram", true, DataKind::Subprogram, "01", "s1", {}, {}, {}, ""},
        {"read over an existing file", true, DataKind::Program, "2", "old", {}, "old text\r\n", {}, ""},
        {"write params", false, DataKind::Parameters, "", "w.paramVem730", parameters, {}, {}, ""},
        {"write 12 lines", false, DataKind::Program, "2", "w.prgVem730", program12, {}, {}, ""},
        {"write 3 lines", false, DataKind::Subprogram, "7", "w3.PRGVEM730", program3, {}, {}, ""},
        {"descriptor", true, DataKind::Parameters, "", "p", {}, {}, bad(FaultTarget::Descriptor),
         Msg::DESCRIPTOR_FAILED},
        {"general read", true, DataKind::Parameters, "", "p", {}, "kept", nth(3), Msg::GENERAL_READ_FAILED},
        {"axis read", true, DataKind::Parameters, "", "p", {}, {}, nth(6), Msg::AXIS_READ_FAILED},
        {"general write", false, DataKind::Parameters, "", "w.paramVem730", parameters, {}, nth(2),
         Msg::GENERAL_WRITE_FAILED},
        {"axis write", false, DataKind::Parameters, "", "w.paramVem730", parameters, {}, nth(5),
         Msg::AXIS_WRITE_FAILED},
        {"parameter file one byte short", false, DataKind::Parameters, "", "w.paramVem730",
         parameters.substr(1), {}, {}, Msg::PARAM_FILE_SIZE},
        {"parameter file one byte long", false, DataKind::Parameters, "", "w.paramVem730",
         parameters + "x", {}, {}, Msg::PARAM_FILE_SIZE},
        {"size query", true, DataKind::Program, "1", "q", {}, {}, bad(FaultTarget::SizeQuery),
         Msg::SIZE_QUERY_FAILED},
        {"program block read", true, DataKind::Program, "2", "b", {}, "kept", bad(FaultTarget::BlockRead),
         Msg::PROGRAM_READ_FAILED},
        {"subprogram block read", true, DataKind::Subprogram, "1", "b", {}, {},
         bad(FaultTarget::BlockRead), Msg::SUBPROGRAM_READ_FAILED},
        {"program delete", false, DataKind::Program, "3", "w.prgVem730", program12, {},
         bad(FaultTarget::Delete), Msg::PROGRAM_DELETE_FAILED},
        {"subprogram block write", false, DataKind::Subprogram, "3", "w.prgVem730", program12, {},
         bad(FaultTarget::BlockWrite), Msg::SUBPROGRAM_WRITE_FAILED},
        {"rejected fourth line", false, DataKind::Program, "1", "r.prgVem730", rejected4, {}, {},
         "Ошибка в записываемой программе, строка: 4"},
        {"program number 21", true, DataKind::Program, "21", "n", {}, {}, {}, Msg::PROGRAM_RANGE},
        {"subprogram number 00", false, DataKind::Subprogram, "00", "w.prgVem730", program3, {}, {},
         Msg::SUBPROGRAM_RANGE},
        {"file that is not there", false, DataKind::Program, "1", "absent", {}, {}, {},
         Msg::CANNOT_OPEN_FILE},
        {"export of a broken chain", true, DataKind::Program, "6", "x", {}, {}, {}, Msg::DECODE_FAILED},
    };
    int index = 0;
    for (const CommandRow& row : rows) {
        const std::vector<std::string> args =
            TransferArgs(row.read, row.kind, row.number, std::string("DIR/") + row.file);
        SCOPED_TRACE(std::string(row.name) + ": " + CommandText(args));
        const std::string cliFolder = PathOf("cli" + std::to_string(index));
        const std::string dialogFolder = PathOf("dialog" + std::to_string(index));
        ++index;
        for (const std::string& folder : {cliFolder, dialogFolder}) {
            fs::create_directory(folder);
            if (row.input)
                WriteWholeFile(folder + "/" + row.file, *row.input);
            if (row.existing)
                WriteWholeFile(ReadPathFor(row.kind, folder + "/" + row.file), *row.existing);
        }
        const auto arm = [&] {
            m_sim->ClearFaults();
            if (row.fault)
                m_sim->AddFault(*row.fault);
        };

        arm();
        std::size_t before = Requests().size();
        std::vector<std::string> cliArgs =
            TransferArgs(row.read, row.kind, row.number, cliFolder + "/" + row.file);
        cliArgs.insert(cliArgs.end(), {"--port", Port()});
        const VemsyncRun run = Vemsync(cliArgs);
        std::vector<LoggedRequest> cliRequests = Requests();
        cliRequests.erase(cliRequests.begin(), cliRequests.begin() + static_cast<long>(before));

        TakeLine();
        arm();
        before = Requests().size();
        m_ui.events.clear();
        m_ui.details.clear();
        const std::string dialogFile = dialogFolder + "/" + row.file;
        const CommandResult result = row.read ? Read(row.kind, row.number, dialogFile)
                                              : Write(row.kind, row.number, dialogFile);
        std::vector<LoggedRequest> dialogRequests = Requests();
        dialogRequests.erase(dialogRequests.begin(), dialogRequests.begin() + static_cast<long>(before));
        ReleaseLine();

        const std::vector<std::string> expected =
            row.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.message};
        // The detail under the message names the file in its own folder;
        // each of its lines is a line of vemsync's.
        std::string dialogText;
        for (const std::string& line : m_ui.Shown())
            dialogText += line + "\n";
        std::vector<std::string> shown = LinesOf(dialogText);
        for (std::string& line : shown)
            if (const auto at = line.find(dialogFolder); at != std::string::npos)
                line.replace(at, dialogFolder.size(), cliFolder);
        EXPECT_EQ(LinesOf(run.err), shown) << run.Describe();
        EXPECT_EQ(m_ui.Warnings(), expected);
        EXPECT_EQ(run.status, row.message.empty() ? 0 : 1) << run.Describe();
        EXPECT_EQ(result, row.message.empty() ? CommandResult::Done : CommandResult::Failed);
        EXPECT_EQ(run.out, "");

        ASSERT_EQ(Described(cliRequests), Described(dialogRequests));
        for (std::size_t i = 0; i < cliRequests.size(); ++i)
            EXPECT_EQ(cliRequests[i].data, dialogRequests[i].data) << cliRequests[i].Summary();
        EXPECT_EQ(FolderFiles(cliFolder), FolderFiles(dialogFolder));
        if (row.existing && !row.message.empty()) {
            EXPECT_EQ(ReadWholeFile(ReadPathFor(row.kind, cliFolder + "/" + row.file)), *row.existing)
                << "a failed read keeps the old file";
        }
    }
}

struct KeptRow {
    const char* name;
    DataKind kind;
    FaultRule fault;
};

// A failed read leaves an existing target byte for byte as it was, and no
// file at all under a new name; no temporary file stays behind.
TEST_F(VemsyncTest, FailedReadKeepsTheTarget)
{
    const KeptRow rows[] = {
        {"parameters", DataKind::Parameters, {FaultMode::BadCrc, FaultTarget::Params, 0, 0}},
        {"program", DataKind::Program, {FaultMode::BadCrc, FaultTarget::BlockRead, 0, 0}},
    };
    const std::string old = std::string("old\0bytes\r\n", 11);
    for (const KeptRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string folder = PathOf(std::string("kept-") + row.name);
        fs::create_directory(folder);
        const std::string existing = ReadPathFor(row.kind, folder + "/old");
        WriteWholeFile(existing, old);
        m_sim->ClearFaults();
        m_sim->AddFault(row.fault);
        for (const char* name : {"old", "new"}) {
            std::vector<std::string> args = TransferArgs(true, row.kind, "2", folder + "/" + name);
            args.insert(args.end(), {"--port", Port()});
            const VemsyncRun run = Vemsync(args);
            EXPECT_EQ(run.status, 1) << name << "\n" << run.Describe();
        }
        EXPECT_EQ(FolderEntries(folder),
                  std::vector<std::string>{fs::path(existing).filename().string()});
        EXPECT_EQ(ReadWholeFile(existing), old);
    }
}

TEST_F(VemsyncTest, ClosedPortNamesTheDeviceAndTheCause)
{
    const std::string absent = PathOf("no-such-port");
    const VemsyncRun run = Vemsync({"read", "params", PathOf("p"), "--port", absent});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(LinesOf(run.err),
              (std::vector<std::string>{Msg::PORT_CLOSED,
                                        "Устройство " + absent + " не найдено: адаптер не подключён или "
                                        "порт назначен не тому устройству (см. «Настройка портов…» или "
                                        "vemsync ports)."}))
        << run.Describe();
    EXPECT_FALSE(FileExists(PathOf("p.paramVem730")));
    EXPECT_EQ(m_sim->RequestCount(), 0u);

    // A port name of the list, resolved through the port folder.
    fs::create_directories(PathOf("xdg/MFCVemSync/ports"));
    fs::create_symlink(absent, PathOf("xdg/MFCVemSync/ports/COM4"));
    const VemsyncRun named = Vemsync({"write", "program", "1", PathOf("p"), "--port", "COM4"});
    EXPECT_EQ(named.status, 1);
    EXPECT_EQ(LinesOf(named.err),
              (std::vector<std::string>{Msg::PORT_CLOSED,
                                        "Устройство COM4 (" + PathOf("xdg/MFCVemSync/ports/COM4") + " → " +
                                            absent + ") не найдено: адаптер не подключён или порт назначен "
                                            "не тому устройству (см. «Настройка портов…» или vemsync ports)."}))
        << named.Describe();
}

// The trace file holds every frame both ways, as the controller's side saw
// them, and a second run appends to it.
TEST_F(VemsyncTest, TraceFileFollowsEveryFrameOfATransfer)
{
    const std::string trace = PathOf("line.trace");
    const VemsyncRun run = Vemsync({"read", "params", PathOf("p"), "--port", Port(), "--trace", trace});
    ASSERT_EQ(run.status, 0) << run.Describe();
    constexpr std::size_t STAMP = 27; // "YYYY-MM-DDTHH:MM:SS.uuuuuu "
    std::vector<std::string> crossings;
    std::vector<std::string> meanings;
    for (const std::string& line : LinesOf(ReadWholeFile(trace))) {
        const std::size_t bar = line.find(" | ");
        ASSERT_NE(bar, std::string::npos) << line;
        std::string bytes = line.substr(STAMP, bar - STAMP);
        bytes = (bytes.rfind("→", 0) == 0 ? "REQ" : "REP") + bytes.substr(std::string("→").size());
        crossings.push_back(bytes);
        meanings.push_back(line.substr(bar + 3));
    }
    std::vector<std::string> logged;
    for (const std::string& line : LinesOf(ReadWholeFile(PathOf("line.log"))))
        logged.push_back(line.substr(STAMP));
    EXPECT_EQ(crossings, logged);
    ASSERT_GE(meanings.size(), 2u);
    EXPECT_EQ(meanings[0], "чтение: системные параметры, номер записи 1, длина 0");
    EXPECT_EQ(meanings[1], "чтение: системные параметры, номер записи 1, длина 0 → 16 байт");

    const VemsyncRun again = Vemsync({"read", "params", PathOf("q"), "--port", Port(), "--trace", trace});
    ASSERT_EQ(again.status, 0) << again.Describe();
    EXPECT_EQ(LinesOf(ReadWholeFile(trace)).size(), 2 * crossings.size());

    const VemsyncRun unwritable =
        Vemsync({"read", "params", PathOf("r"), "--port", Port(), "--trace", PathOf("none/t")});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(LinesOf(unwritable.err),
              (std::vector<std::string>{CliMsg::TRACE_NOT_OPENED, PathOf("none/t") + ": файл не найден"}))
        << unwritable.Describe();
}

// Operators who are not in the dialout group meet this first; the line after
// the message says what to do.
TEST_F(VemsyncTest, PortWithoutPermissionGivesTheDialoutLine)
{
    const std::string folder = PathOf("locked");
    fs::create_directory(folder);
    const std::string port = folder + "/ttyUSB0";
    WriteWholeFile(port, "");
    ASSERT_EQ(::chmod(port.c_str(), 0), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
    VemsyncOptions options;
    if (::geteuid() == 0) {
        // Root opens anything; an unprivileged user meets the real refusal.
        constexpr uid_t NOBODY = 65534;
        options.user = NOBODY;
        options.group = NOBODY;
    }
    const VemsyncRun run = Vemsync({"read", "program", "1", "/tmp/never-written", "--port", port}, options);
    EXPECT_EQ(run.status, 1) << run.Describe();
    EXPECT_EQ(LinesOf(run.err),
              (std::vector<std::string>{Msg::PORT_CLOSED,
                                        "Нет прав на доступ к " + port +
                                            ". Пользователь должен входить в группу dialout: выполните "
                                            "«sudo adduser $USER dialout», затем выйдите из системы и "
                                            "войдите снова."}))
        << run.Describe();
}

// A port name of the list reaches the device its link in the port folder
// names; COM1 is the default.
TEST_F(VemsyncTest, PortNamesGoThroughThePortFolder)
{
    fs::create_directories(PathOf("xdg/MFCVemSync/ports"));
    for (const char* name : {"COM1", "COM10"})
        fs::create_symlink(Port(), PathOf(std::string("xdg/MFCVemSync/ports/") + name));
    const VemsyncRun byDefault = Vemsync({"read", "params", PathOf("default")});
    EXPECT_EQ(byDefault.status, 0) << byDefault.Describe();
    const VemsyncRun named = Vemsync({"read", "params", PathOf("named"), "--port=COM10"});
    EXPECT_EQ(named.status, 0) << named.Describe();
    const std::string expected = ReadWholeFile(PathOf("default.paramVem730"));
    EXPECT_EQ(expected.size(), PARAMETER_FILE_SIZE);
    EXPECT_EQ(ReadWholeFile(PathOf("named.paramVem730")), expected);
}

struct PlacementRow {
    const char* name;
    std::vector<std::string> args; // PORT and FILE stand for the values
};

TEST_F(VemsyncTest, OptionsMayStandBeforeAndAfterThePositionals)
{
    const PlacementRow rows[] = {
        {"after", {"read", "program", "1", "FILE", "--port", "PORT", "--no-clobber"}},
        {"before", {"--no-clobber", "--port", "PORT", "read", "program", "1", "FILE"}},
        {"between", {"read", "--port=PORT", "program", "--no-clobber", "1", "FILE"}},
        {"after a double dash", {"--port", "PORT", "read", "program", "--", "1", "FILE"}},
    };
    std::optional<std::string> first;
    int index = 0;
    for (const PlacementRow& row : rows) {
        const std::string file = PathOf("placed" + std::to_string(index++));
        std::vector<std::string> args;
        for (std::string arg : row.args) {
            if (arg == "FILE")
                arg = file;
            else if (arg == "PORT")
                arg = Port();
            else if (arg == "--port=PORT")
                arg = "--port=" + Port();
            args.push_back(arg);
        }
        const VemsyncRun run = Vemsync(args);
        EXPECT_EQ(run.status, 0) << row.name << ": " << CommandText(args) << "\n" << run.Describe();
        const std::string text = ReadWholeFile(file + ".prgVem730");
        EXPECT_FALSE(text.empty()) << row.name;
        if (!first)
            first = text;
        EXPECT_EQ(text, *first) << row.name;
    }
}

struct ClobberRow {
    const char* name;
    DataKind kind;
    const char* argument; // FILE as given
    const char* target;   // the file the read would replace
};

// --no-clobber refuses the file the read would replace, extension included,
// before the controller is asked anything.
TEST_F(VemsyncTest, NoClobberRefusesAnExistingTarget)
{
    const ClobberRow rows[] = {
        {"program, extension added", DataKind::Program, "prog", "prog.prgVem730"},
        {"parameters, extension given", DataKind::Parameters, "par.paramVem730", "par.paramVem730"},
    };
    for (const ClobberRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string target = PathOf(row.target);
        WriteWholeFile(target, "keep me");
        const std::uint64_t before = m_sim->RequestCount();
        std::vector<std::string> args = TransferArgs(true, row.kind, "1", PathOf(row.argument));
        args.insert(args.end(), {"--port", Port()});
        std::vector<std::string> refusing = args;
        refusing.push_back("--no-clobber");
        const VemsyncRun refused = Vemsync(refusing);
        EXPECT_EQ(refused.status, 1) << refused.Describe();
        EXPECT_EQ(LinesOf(refused.err),
                  std::vector<std::string>{"vemsync: " + CliMsg::NoClobber(target)});
        EXPECT_EQ(ReadWholeFile(target), "keep me");
        EXPECT_EQ(m_sim->RequestCount(), before) << "nothing was asked of the controller";

        // Without the option the same read replaces it.
        const VemsyncRun replaced = Vemsync(args);
        EXPECT_EQ(replaced.status, 0) << replaced.Describe();
        EXPECT_NE(ReadWholeFile(target), "keep me");
    }
    const VemsyncRun fresh =
        Vemsync({"read", "subprogram", "1", PathOf("fresh"), "--no-clobber", "--port", Port()});
    EXPECT_EQ(fresh.status, 0) << fresh.Describe();
    EXPECT_TRUE(FileExists(PathOf("fresh.prgVem730")));
}

// On a terminal the bar shows the blocks done out of the total; on a pipe
// nothing but the messages appears.
TEST_F(VemsyncTest, ProgressShowsOnATerminalOnly)
{
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 3}, ChainOf(TWELVE_LINES)));
    const std::vector<std::string> read = {"read", "program", "3", PathOf("bar"), "--port", Port()};

    const VemsyncRun piped = Vemsync(read);
    EXPECT_EQ(piped.status, 0) << piped.Describe();
    EXPECT_EQ(piped.err, "");

    VemsyncOptions terminal;
    terminal.stderrOnTerminal = true;
    const VemsyncRun shown = Vemsync(read, terminal);
    EXPECT_EQ(shown.status, 0) << shown.Describe();
    for (const char* step : {"] 0/3", "] 1/3", "] 2/3", "] 3/3"})
        EXPECT_NE(shown.err.find(step), std::string::npos) << step << "\n" << shown.Describe();
    // What the terminal shows at the end: the bar overwritten by spaces.
    EXPECT_EQ(shown.err.substr(shown.err.find_last_not_of(" \r") + 1), "\r" + std::string(36, ' ') + "\r")
        << shown.Describe();
    EXPECT_EQ(shown.out, "");

    // A failure's message takes the bar's place.
    m_sim->AddFault({FaultMode::BadCrc, FaultTarget::Nth, 4, 0});
    const VemsyncRun failed = Vemsync(read, terminal);
    EXPECT_EQ(failed.status, 1);
    const std::string::size_type message = failed.err.find(Msg::PROGRAM_READ_FAILED);
    ASSERT_NE(message, std::string::npos) << failed.Describe();
    EXPECT_NE(failed.err.rfind("] 1/3", message), std::string::npos) << failed.Describe();
    EXPECT_EQ(failed.err.substr(message - 2, 2), " \r") << "the bar erased first\n" << failed.Describe();
    const std::vector<std::string> lines = LinesOf(failed.err.substr(message));
    ASSERT_EQ(lines.size(), 2u) << "the message and its cause\n" << failed.Describe();
    EXPECT_EQ(lines[0], Msg::PROGRAM_READ_FAILED);
}

struct HelpRow {
    std::vector<std::string> args;
    const char* usage; // how the text starts
};

TEST_F(VemsyncTest, HelpForTheToolAndEachCommand)
{
    const HelpRow rows[] = {
        {{"--help"}, "Запуск: vemsync КОМАНДА"},
        {{"-h"}, "Запуск: vemsync КОМАНДА"},
        {{"read", "--help"}, "Запуск: vemsync read params|program N|subprogram N ФАЙЛ"},
        {{"--help", "write"}, "Запуск: vemsync write params|program N|subprogram N ФАЙЛ"},
        {{"check", "-h"}, "Запуск: vemsync check ФАЙЛ"},
        {{"import", "--help", "a", "b"}, "Запуск: vemsync import ФАЙЛ ОБРАЗ"},
        {{"export", "--help"}, "Запуск: vemsync export ОБРАЗ ФАЙЛ"},
        {{"ports", "map", "--help"}, "Запуск: vemsync ports"},
    };
    for (const HelpRow& row : rows) {
        const VemsyncRun run = Vemsync(row.args);
        SCOPED_TRACE(CommandText(row.args) + "\n" + run.Describe());
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind(row.usage, 0), 0u);
        EXPECT_EQ(run.err, "");
    }
    const std::string tool = Vemsync({"--help"}).out;
    for (const char* command : {"read", "write", "check", "import", "export", "--port", "--no-clobber",
                                "--subprogram", "ports", "--trace", "Код выхода"})
        EXPECT_NE(tool.find(command), std::string::npos) << command;
}

struct UsageRow {
    std::vector<std::string> args;
    const char* says; // part of the one line
};

// A wrong command line is one line on stderr and exit status 2; nothing is
// opened.
TEST_F(VemsyncTest, UsageErrorsAreOneLineAndExitTwo)
{
    const UsageRow rows[] = {
        {{}, "не указана команда: read, write, compare, check, import, export, backup, restore или ports"},
        {{"copy", "a"}, "неизвестная команда «copy»"},
        {{"copy", "--help"}, "неизвестная команда «copy»"},
        {{"read"}, "после read нужно params, program или subprogram"},
        {{"read", "programs", "1", "f"}, "а не «programs»"},
        {{"read", "params"}, "не хватает аргументов"},
        {{"write", "program", "1"}, "не хватает аргументов"},
        {{"read", "params", "f", "g"}, "лишний аргумент"},
        {{"read", "program", "1a", "f"}, "одна или две цифры"},
        {{"read", "program", "123", "f"}, "одна или две цифры"},
        {{"read", "params", "f", "--port"}, "--port: не хватает значения"},
        {{"read", "params", "f", "--port="}, "--port: не хватает значения"},
        {{"read", "params", "f", "-x"}, "неизвестный ключ -x"},
        {{"write", "params", "f", "--no-clobber"}, "--no-clobber относится только к команде read"},
        {{"read", "program", "1", "f", "--subprogram"}, "--subprogram относится только к командам check и import"},
        {{"check", "f", "--port", "COM1"}, "--port относится только к командам read, write, compare, backup и restore"},
        {{"import", "--no-clobber", "a", "b"}, "--no-clobber относится только к команде read"},
        {{"export", "a", "b", "--subprogram"}, "--subprogram относится только к командам check и import"},
        {{"check"}, "не хватает аргументов"},
        {{"export", "a"}, "не хватает аргументов"},
        {{"read", "params", "f", "--port", "COM11"}, "--port: нет порта «COM11» в списке: COM1 … COM10"},
        {{"--port=COM0", "compare", "program", "1", "f"}, "--port: нет порта «COM0» в списке"},
        {{"write", "params", "f", "--port", "com3"}, "--port: нет порта «com3» в списке"},
        {{"backup", "f", "--port", "COM11"}, "--port: нет порта «COM11» в списке"},
        {{"restore", "f", "--port", "COM011"}, "--port: нет порта «COM011» в списке"},
    };
    for (const UsageRow& row : rows) {
        const VemsyncRun run = Vemsync(row.args);
        SCOPED_TRACE(CommandText(row.args) + "\n" + run.Describe());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        ASSERT_EQ(LinesOf(run.err).size(), 1u);
        EXPECT_EQ(run.err.rfind("vemsync: ", 0), 0u);
        EXPECT_NE(run.err.find(row.says), std::string::npos);
    }
    EXPECT_EQ(m_sim->RequestCount(), 0u);
    EXPECT_FALSE(FileExists(PathOf("f")));
}

// The Latin words of a line that are not a path, an option, a command, a
// port or the operator's own text in «»: what should have been Russian.
std::vector<std::string> ForeignWords(const std::string& line)
{
    static const std::set<std::string> OURS = {"vemsync", "read",   "write", "compare", "check",
                                               "import",  "export", "backup", "restore", "ports",
                                               "map",     "unmap",  "params", "program", "subprogram"};
    static const std::regex LATIN("[A-Za-z]{2,}");
    std::vector<std::string> foreign;
    std::istringstream words(std::regex_replace(line, std::regex("«[^»]*»"), ""));
    for (std::string word; words >> word;) {
        if (word.find('/') != std::string::npos || word.rfind("--", 0) == 0)
            continue;
        for (std::sregex_iterator it(word.begin(), word.end(), LATIN), end; it != end; ++it)
            if (!OURS.contains(it->str()) && it->str() != "COM")
                foreign.push_back(it->str());
    }
    return foreign;
}

// Every line vemsync prints of its own, and every message it passes on,
// in the operator's language.
TEST_F(VemsyncTest, EveryLineItSaysIsRussian)
{
    const std::string lossy = PathOf("lossy.prgVem730");
    WriteWholeFile(lossy, "G1\r\nX10\r\n");
    WriteWholeFile(PathOf("kept.paramVem730"), "x");
    const std::vector<std::string> rows[] = {
        {},
        {"read", "params", PathOf("kept"), "--no-clobber", "--port", Port()},
        {"write", "program", "1", lossy, "--port", Port()},
        {"check", lossy},
        {"import", lossy, lossy},
        {"read", "params", PathOf("p"), "--port", "COM11"},
        {"read", "params", PathOf("p"), "--port", PathOf("no-port")},
        {"ports", "map", "COM3", "/dev/no-such-device"},
        {"restore", PathOf("no-copy"), "--port", Port()},
        {"backup", PathOf("b"), "--port", Port(), "--trace", "/dev/null"},
    };
    for (const std::vector<std::string>& args : rows) {
        const VemsyncRun run = Vemsync(args);
        SCOPED_TRACE(CommandText(args) + "\n" + run.Describe());
        EXPECT_NE(run.status, 0);
        // 0xD0 and 0xD1 lead every Cyrillic letter of the messages in UTF-8.
        EXPECT_NE(run.err.find_first_of("\xD0\xD1"), std::string::npos) << "a message is said";
        for (const std::string& line : LinesOf(run.err))
            EXPECT_EQ(ForeignWords(line), std::vector<std::string>{}) << line;
    }
}

} // namespace
