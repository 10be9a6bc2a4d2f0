// Tests of vemsync's argument reader: every command with its options, and what it refuses.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/command_line.h"

namespace {

using Action = CliRequest::Action;
using Kind = CliRequest::Kind;

std::string Joined(const std::vector<std::string>& args)
{
    std::string text;
    for (const std::string& arg : args)
        text += (text.empty() ? "" : " ") + arg;
    return text;
}

struct ParseRow {
    const char* name;
    std::vector<std::string> args;
    CliRequest expected;
};

CliRequest Request(Action action, Kind kind, std::string number, std::string file, std::string image = "",
                   std::string port = "COM1", bool noClobber = false)
{
    CliRequest request;
    request.action = action;
    request.kind = kind;
    request.number = std::move(number);
    request.file = std::move(file);
    request.image = std::move(image);
    request.port = std::move(port);
    request.noClobber = noClobber;
    return request;
}

CliRequest Ports(Action action, std::string port = "COM1", std::string device = "")
{
    CliRequest request;
    request.action = action;
    request.port = std::move(port);
    request.device = std::move(device);
    return request;
}

CliRequest Traced(CliRequest request, std::string trace)
{
    request.trace = std::move(trace);
    return request;
}

CliRequest Help(std::string topic)
{
    CliRequest request;
    request.helpTopic = std::move(topic);
    return request;
}

TEST(ParseCommandLine, EveryCommandWithItsOptionsAnywhere)
{
    const ParseRow rows[] = {
        {"read params", {"read", "params", "f"}, Request(Action::Read, Kind::Parameters, "", "f")},
        {"read program, port after",
         {"read", "program", "07", "f", "--port", "COM3"},
         Request(Action::Read, Kind::Program, "07", "f", "", "COM3")},
        {"read subprogram, options first",
         {"--no-clobber", "--port", "/dev/ttyUSB0", "read", "subprogram", "50", "f"},
         Request(Action::Read, Kind::Subprogram, "50", "f", "", "/dev/ttyUSB0", true)},
        {"write params, port with =",
         {"write", "params", "--port=COM10", "f.paramVem730"},
         Request(Action::Write, Kind::Parameters, "", "f.paramVem730", "", "COM10")},
        {"write program, number 0 left to the command",
         {"write", "program", "0", "f"},
         Request(Action::Write, Kind::Program, "0", "f")},
        {"the last --port counts",
         {"read", "params", "f", "--port", "COM2", "--port", "COM5"},
         Request(Action::Read, Kind::Parameters, "", "f", "", "COM5")},
        {"a file that looks like an option after --",
         {"read", "program", "1", "--", "-f"},
         Request(Action::Read, Kind::Program, "1", "-f")},
        {"a lone dash is a file", {"check", "-"}, Request(Action::Check, Kind::Program, "", "-")},
        {"the command after --", {"--", "check", "-x"}, Request(Action::Check, Kind::Program, "", "-x")},
        {"a switch, then the command after --",
         {"--no-clobber", "--", "read", "params", "-f"},
         Request(Action::Read, Kind::Parameters, "", "-f", "", "COM1", true)},
        {"the kind after --",
         {"read", "--", "program", "1", "-f"},
         Request(Action::Read, Kind::Program, "1", "-f")},
        {"check", {"check", "p.prgVem730"}, Request(Action::Check, Kind::Program, "", "p.prgVem730")},
        {"check a subprogram, option first",
         {"--subprogram", "check", "p"},
         Request(Action::Check, Kind::Subprogram, "", "p")},
        {"import", {"import", "p", "i"}, Request(Action::Import, Kind::Program, "", "p", "i")},
        {"import a subprogram, option between",
         {"import", "p", "--subprogram", "i"},
         Request(Action::Import, Kind::Subprogram, "", "p", "i")},
        {"export", {"export", "i", "p"}, Request(Action::Export, Kind::Program, "", "p", "i")},
        {"compare params", {"compare", "params", "f"}, Request(Action::Compare, Kind::Parameters, "", "f")},
        {"compare subprogram on a port",
         {"compare", "subprogram", "12", "f", "--port", "COM2"},
         Request(Action::Compare, Kind::Subprogram, "12", "f", "", "COM2")},
        {"help", {"--help"}, Help("")},
        {"short help", {"-h"}, Help("")},
        {"help for a command", {"write", "--help"}, Help("write")},
        {"help before a command", {"-h", "export"}, Help("export")},
        {"help wins over a missing argument", {"read", "program", "--help"}, Help("read")},
        {"read with a trace", {"read", "params", "f", "--trace", "t.log"},
         Traced(Request(Action::Read, Kind::Parameters, "", "f"), "t.log")},
        {"write with a trace given with =", {"--trace=t", "write", "program", "3", "f"},
         Traced(Request(Action::Write, Kind::Program, "3", "f"), "t")},
        {"ports", {"ports"}, Ports(Action::Ports)},
        {"ports map", {"ports", "map", "COM3", "/dev/ttyUSB0"}, Ports(Action::MapPort, "COM3", "/dev/ttyUSB0")},
        {"ports unmap", {"ports", "unmap", "COM10"}, Ports(Action::UnmapPort, "COM10")},
        {"help for ports", {"ports", "--help"}, Help("ports")},
    };
    for (const ParseRow& row : rows) {
        SCOPED_TRACE(std::string(row.name) + ": " + Joined(row.args));
        std::string error;
        const std::optional<CliRequest> got = ParseCommandLine(row.args, error);
        ASSERT_TRUE(got.has_value()) << error;
        EXPECT_EQ(error, "");
        EXPECT_EQ(got->action, row.expected.action);
        EXPECT_EQ(got->kind, row.expected.kind);
        EXPECT_EQ(got->number, row.expected.number);
        EXPECT_EQ(got->file, row.expected.file);
        EXPECT_EQ(got->image, row.expected.image);
        EXPECT_EQ(got->port, row.expected.port);
        EXPECT_EQ(got->noClobber, row.expected.noClobber);
        EXPECT_EQ(got->helpTopic, row.expected.helpTopic);
        EXPECT_EQ(got->device, row.expected.device);
        EXPECT_EQ(got->trace, row.expected.trace);
    }
}

struct ErrorRow {
    const char* name;
    std::vector<std::string> args;
    std::string expected;
};

TEST(ParseCommandLine, PortsAndTraceRefuseWhatDoesNotFit)
{
    const ErrorRow rows[] = {
        {"map without a device", {"ports", "map", "COM3"}, "не хватает аргументов; запуск: vemsync ports map COMn УСТРОЙСТВО"},
        {"unmap of two", {"ports", "unmap", "COM3", "COM4"}, "лишний аргумент «COM4»; запуск: vemsync ports unmap COMn"},
        {"unknown change", {"ports", "link", "COM3"}, "после ports нужно map или unmap, а не «link»"},
        {"ports with a port", {"ports", "--port", "COM2"}, "--port относится только к командам read, write, compare, backup и restore"},
        {"trace without a file", {"read", "params", "f", "--trace"}, "--trace: не хватает значения ФАЙЛ"},
        {"trace with an empty name", {"read", "params", "f", "--trace="}, "--trace: не хватает значения ФАЙЛ"},
        {"an empty name does not take the next word", {"read", "params", "--trace=", "f"},
         "--trace: не хватает значения ФАЙЛ"},
        {"trace on an offline command", {"check", "f", "--trace", "t"},
         "--trace относится только к командам read, write, compare, backup и restore"},
        {"trace on ports", {"ports", "--trace", "t"}, "--trace относится только к командам read, write, compare, backup и restore"},
    };
    for (const ErrorRow& row : rows) {
        std::string error;
        EXPECT_FALSE(ParseCommandLine(row.args, error).has_value()) << row.name;
        EXPECT_EQ(error, row.expected) << row.name << ": " << Joined(row.args);
    }
}

struct FlagRow {
    const char* name;
    std::vector<std::string> args;
    bool accepted;
    bool acceptRewrites;
    bool verify;
};

TEST(ParseCommandLine, WriteSafetyOptionsWhereTheyApply)
{
    const FlagRow rows[] = {
        {"write accepting rewrites", {"write", "program", "1", "f", "--accept-rewrites"}, true, true, false},
        {"write verified", {"--verify", "write", "params", "f"}, true, false, true},
        {"write with both", {"write", "subprogram", "3", "f", "--verify", "--accept-rewrites"}, true, true,
         true},
        {"check accepting rewrites", {"check", "f", "--accept-rewrites"}, true, true, false},
        {"read verified", {"read", "params", "f", "--verify"}, false, false, false},
        {"compare verified", {"compare", "params", "f", "--verify"}, false, false, false},
        {"compare accepting rewrites", {"compare", "program", "1", "f", "--accept-rewrites"}, false, false,
         false},
        {"import accepting rewrites", {"import", "f", "i", "--accept-rewrites"}, false, false, false},
        {"check verified", {"check", "f", "--verify"}, false, false, false},
    };
    for (const FlagRow& row : rows) {
        SCOPED_TRACE(std::string(row.name) + ": " + Joined(row.args));
        std::string error;
        const std::optional<CliRequest> got = ParseCommandLine(row.args, error);
        ASSERT_EQ(got.has_value(), row.accepted) << error;
        if (!got) {
            EXPECT_NE(error.find("относится только к"), std::string::npos) << error;
            continue;
        }
        EXPECT_EQ(got->acceptRewrites, row.acceptRewrites);
        EXPECT_EQ(got->verify, row.verify);
    }
}

// Where a Cyrillic letter takes two bytes.
std::size_t Letters(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

TEST(HelpText, EveryCommandsHelpIsRussianAndLinedUp)
{
    for (const char* topic :
         {"", "read", "write", "compare", "check", "import", "export", "backup", "restore", "ports"}) {
        const std::string help = HelpText(topic);
        SCOPED_TRACE(help);
        EXPECT_EQ(help.rfind("Запуск: vemsync " + std::string(topic), 0), 0u);
        for (const char* word : {"Usage", "Options", "OPTIONS", "Subcommands", "SUBCOMMAND", "REQUIRED",
                                 "Positionals", "TEXT"})
            EXPECT_EQ(help.find(word), std::string::npos) << word;
    }
    // The descriptions start in one column although "ИМЯ" is twice as many bytes.
    const std::string help = HelpText("read");
    const std::size_t port = help.find("  --port ИМЯ");
    const std::size_t noClobber = help.find("  --no-clobber");
    ASSERT_NE(port, std::string::npos);
    ASSERT_NE(noClobber, std::string::npos);
    EXPECT_EQ(Letters(help.substr(port, help.find("COM1", port) - port)),
              Letters(help.substr(noClobber, help.find("не заменять", noClobber) - noClobber)));
}

} // namespace
