// Tests of port name resolution through the port folder and the XDG data folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <unistd.h>

#include "link/port_names.h"
#include "tests/support/scoped_env.h"

namespace {

namespace fs = std::filesystem;

class PortNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vem-ports-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dataHome = pattern;
        m_env.emplace("XDG_DATA_HOME", m_dataHome.c_str());
    }
    void TearDown() override
    {
        m_env.reset();
        fs::remove_all(m_dataHome);
    }
    fs::path Folder() const { return m_dataHome / "MFCVemSync" / "ports"; }
    void Map(const char* name, const fs::path& target)
    {
        fs::create_directories(Folder());
        fs::create_symlink(target, Folder() / name);
    }

    fs::path m_dataHome;
    std::optional<ScopedEnv> m_env;
};

TEST_F(PortNames, FolderFollowsXdgDataHome)
{
    EXPECT_EQ(PortFolder(), (m_dataHome / "MFCVemSync/ports").string());
}

TEST_F(PortNames, FolderFallsBackToHomeWhenXdgDataHomeIsUnsetEmptyOrRelative)
{
    const ScopedEnv home("HOME", "/home/operator");
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/data"}) {
        const ScopedEnv xdg("XDG_DATA_HOME", value);
        EXPECT_EQ(PortFolder(), "/home/operator/.local/share/MFCVemSync/ports")
            << "XDG_DATA_HOME = " << (value ? value : "(unset)");
    }
}

struct ResolveRow {
    const char* name;
    const char* input;
    const char* expected;
};

TEST_F(PortNames, UnmappedComNamesAreTheFixedPortsAndOtherNamesStayAsGiven)
{
    const ResolveRow rows[] = {
        {"first port", "COM1", "/dev/ttyS0"},
        {"fifth port", "COM5", "/dev/ttyS4"},
        {"last port", "COM10", "/dev/ttyS9"},
        {"no COM0", "COM0", "COM0"},
        {"no COM11", "COM11", "COM11"},
        {"no leading zero", "COM01", "COM01"},
        {"no trailing text", "COM1x", "COM1x"},
        {"no bare prefix", "COM", "COM"},
        {"no huge number", "COM99999999999", "COM99999999999"},
        {"device path", "/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"pseudo-terminal path", "/dev/pts/7", "/dev/pts/7"},
        {"empty name", "", ""},
    };
    for (const ResolveRow& row : rows)
        EXPECT_EQ(ResolvePortName(row.input), row.expected) << row.name << ": \"" << row.input << '"';
}

TEST_F(PortNames, MappedComNameTakesTheEntryInThePortFolder)
{
    Map("COM3", "/dev/ttyUSB0");
    EXPECT_EQ(ResolvePortName("COM3"), (Folder() / "COM3").string());
    EXPECT_EQ(ResolvePortName("COM4"), "/dev/ttyS3") << "other names keep the fixed ports";
}

// An adapter that is unplugged leaves its link dangling; taking the fixed
// port of the same number instead would talk to the wrong device.
TEST_F(PortNames, DanglingMappingIsStillUsedRatherThanTheFixedPort)
{
    Map("COM2", m_dataHome / "no-such-adapter");
    EXPECT_EQ(ResolvePortName("COM2"), (Folder() / "COM2").string());
}

TEST_F(PortNames, OnlyComNamesAreLookedUpInTheFolder)
{
    Map("ttyUSB0", "/dev/null");
    EXPECT_EQ(ResolvePortName("ttyUSB0"), "ttyUSB0");
}

} // namespace
