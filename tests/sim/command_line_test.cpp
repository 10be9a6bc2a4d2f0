// Tests of vem730-sim's argument reader: every option, its range, and the help.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/command_line.h"

namespace {

struct Case {
    std::string name;
    std::vector<std::string> args;
    bool ok;
};

std::string Joined(const std::vector<std::string>& args)
{
    std::string s;
    for (const auto& a : args)
        s += (s.empty() ? "" : " ") + a;
    return s;
}

TEST(CommandLine, AcceptsEveryOptionAndRefusesWhatIsOutOfRange)
{
    const std::vector<Case> cases{
        {"nothing", {}, true},
        {"everything", {"--store", "/s", "--port", "COM3", "--general-size", "400", "--axis-size", "243",
                        "--axes", "0", "--frame-size", "48", "--pace", "--empty-write-reply", "--log", "/l",
                        "--fault", "silent:nth=2", "--fault", "gap=90:block-read"}, true},
        {"help", {"--help"}, true},
        {"unknown option", {"--baud", "9600"}, false},
        {"missing value", {"--store"}, false},
        {"sizes the link cannot carry, to try the PC's checks", {"--axis-size", "244", "--frame-size", "0"}, true},
        {"axis block past 16 bits", {"--axis-size", "65536"}, false},
        {"frame size past 8 bits", {"--frame-size", "256"}, false},
        {"general size past 16 bits", {"--general-size", "65536"}, false},
        {"axes past 8 bits", {"--axes", "256"}, false},
        {"negative size", {"--axes", "-1"}, false},
        {"size with letters", {"--general-size", "45o"}, false},
        {"bad fault", {"--fault", "silent"}, false},
    };
    for (const Case& c : cases) {
        CommandLine cmd;
        std::string error;
        EXPECT_EQ(ParseCommandLine(c.args, cmd, error), c.ok) << c.name << ": " << Joined(c.args) << " -> " << error;
        if (!c.ok) {
            EXPECT_FALSE(error.empty()) << c.name;
        }
    }
}

TEST(CommandLine, FillsTheOptions)
{
    CommandLine cmd;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({"--store", "/s", "--port", "COM3", "--general-size", "400", "--axes", "2",
                                  "--pace", "--empty-write-reply", "--log", "/l", "--fault",
                                  "delay=40:size", "--fault", "bad-crc:nth=3"},
                                 cmd, error))
        << error;
    EXPECT_EQ(cmd.options.storeDir, "/s");
    EXPECT_EQ(cmd.portName, "COM3");
    EXPECT_EQ(cmd.options.descriptor.generalParamSize, 400);
    EXPECT_EQ(cmd.options.descriptor.axisCount, 2);
    EXPECT_FALSE(cmd.options.descriptor.axisParamSize) << "not given: the store's own";
    EXPECT_FALSE(cmd.options.descriptor.frameSize);
    EXPECT_TRUE(cmd.options.pace);
    EXPECT_FALSE(cmd.options.echoWrites);
    EXPECT_EQ(cmd.options.logPath, "/l");
    ASSERT_EQ(cmd.options.faults.size(), 2u);
    EXPECT_EQ(cmd.options.faults[0], (FaultRule{FaultMode::Delay, FaultTarget::SizeQuery, 0, 40}));
    EXPECT_EQ(cmd.options.faults[1], (FaultRule{FaultMode::BadCrc, FaultTarget::Nth, 3, 0}));
    EXPECT_FALSE(cmd.help);
}

TEST(CommandLine, HelpNamesEveryOption)
{
    const std::string help = HelpText();
    for (const char* option : {"--store", "--port", "--general-size", "--axis-size", "--axes", "--frame-size",
                               "--pace", "--empty-write-reply", "--log", "--fault", "--help", "nth=N"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

} // namespace
