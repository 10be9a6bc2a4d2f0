// Tests of the port map: links made in the port folder, and what each name reaches.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "link/port_map.h"
#include "link/port_names.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const SerialDevice ADAPTER{"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K-if00-port0",
                           "FTDI", "FT232R USB UART", "A10K", "0403", "6001", "ftdi_sio", ""};
const SerialDevice UART{"/dev/ttyS2", "", "", "", "", "", "", "serial8250", ""};

class PortMap : public ::testing::Test {
protected:
    fs::path Folder() const { return fs::path(m_home.Path()) / "MFCVemSync" / "ports"; }
    // Every entry of the port folder with where it points, hidden ones too.
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> entries;
        std::error_code ec;
        for (const fs::directory_entry& entry : fs::directory_iterator(Folder(), ec))
            entries.push_back(entry.path().filename().string() + " -> " +
                              fs::read_symlink(entry.path()).string());
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    CTempFolder m_home;
    ScopedEnv m_env{"XDG_DATA_HOME", m_home.Path().c_str()};
};

TEST_F(PortMap, MappingWritesExactlyOneLinkAndReplacesAnOldOne)
{
    std::string error;
    ASSERT_TRUE(MapPort("COM3", ADAPTER.byId, error)) << error;
    ASSERT_TRUE(MapPort("COM10", "/dev/ttyACM0", error)) << error;
    EXPECT_EQ(Entries(), (std::vector<std::string>{"COM10 -> /dev/ttyACM0", "COM3 -> " + ADAPTER.byId}));
    ASSERT_TRUE(MapPort("COM3", "/dev/ttyS7", error)) << error;
    EXPECT_EQ(Entries(), (std::vector<std::string>{"COM10 -> /dev/ttyACM0", "COM3 -> /dev/ttyS7"}))
        << "replaced in place, no temporary left behind";
    EXPECT_EQ(ResolvePortName("COM3"), (Folder() / "COM3").string());

    ASSERT_TRUE(UnmapPort("COM3", error)) << error;
    EXPECT_EQ(Entries(), std::vector<std::string>{"COM10 -> /dev/ttyACM0"});
    EXPECT_EQ(ResolvePortName("COM3"), "/dev/ttyS2");
    EXPECT_TRUE(UnmapPort("COM3", error)) << "nothing to remove is no failure";
}

TEST_F(PortMap, OnlyNamesOfTheListAreMapped)
{
    for (const char* name : {"COM0", "COM11", "com3", "COM03", "/dev/ttyUSB0", ""}) {
        std::string error;
        EXPECT_FALSE(MapPort(name, "/dev/ttyUSB0", error)) << name;
        EXPECT_EQ(error, "«" + std::string(name) + "» — не имя порта из списка (COM1 … COM10)");
        EXPECT_FALSE(UnmapPort(name, error)) << name;
    }
    EXPECT_FALSE(fs::exists(Folder())) << "a refused name creates nothing";
}

TEST_F(PortMap, AnUnwritablePortFolderIsReported)
{
    fs::create_directories(Folder().parent_path());
    std::ofstream(Folder()) << "a file where the folder should be";
    std::string error;
    EXPECT_FALSE(MapPort("COM1", "/dev/ttyUSB0", error));
    EXPECT_EQ(error.rfind("Не удалось", 0), 0u) << error;
}

TEST_F(PortMap, TargetsSayWhatEachNameReachesAndWhetherItIsThere)
{
    const std::string here = m_home.Path() + "/pty";
    std::ofstream(here) << "";
    std::string error;
    ASSERT_TRUE(MapPort("COM1", ADAPTER.byId, error)) << error;
    ASSERT_TRUE(MapPort("COM2", here, error)) << error;
    const std::vector<PortTarget> targets = ListPortTargets({ADAPTER, UART});
    ASSERT_EQ(targets.size(), 10u);

    struct Row {
        std::size_t index;
        std::string expected;
    };
    const Row rows[] = {
        // The adapter's by-id link does not exist on this machine: absent,
        // though udev's list (given here) knows the device.
        {0, "COM1|ссылка на " + ADAPTER.byId + " → /dev/ttyUSB0 (нет устройства: не подключено)"},
        {1, "COM2|ссылка на " + here + " (есть)"},
        {2, "COM3|/dev/ttyS2 (драйвер serial8250)"},
        {3, "COM4|/dev/ttyS3 (нет устройства)"},
        {9, "COM10|/dev/ttyS9 (нет устройства)"},
    };
    for (const Row& row : rows) {
        const PortTarget& t = targets[row.index];
        EXPECT_EQ(t.name + "|" + DescribeTarget(t), row.expected);
    }
    EXPECT_TRUE(targets[0].mapped);
    EXPECT_FALSE(targets[0].present);
    EXPECT_TRUE(targets[1].present);
    EXPECT_FALSE(targets[2].mapped);
    EXPECT_TRUE(targets[2].present);
}

TEST(DescribeDevice, NamesTheDeviceAsAPersonKnowsIt)
{
    EXPECT_EQ(DescribeDevice(ADAPTER),
              "/dev/ttyUSB0 — FTDI FT232R USB UART, 0403:6001, серийный номер A10K, драйвер ftdi_sio");
    SerialDevice bare;
    bare.node = "/dev/ttyS0";
    EXPECT_EQ(DescribeDevice(bare), "/dev/ttyS0 — последовательный порт");
}

} // namespace
