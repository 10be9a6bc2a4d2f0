// vemsync ports over serial devices made up with umockdev.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/cli/vemsync_process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/udev_testbed.h"

namespace {


class VemsyncPorts : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CUdevTestbed::Active()) << "run under umockdev-wrapper";
        m_adapter = m_testbed.AddUsbSerial(FTDI_ADAPTER);
        m_testbed.AddUsbSerial(ACM_BOARD);
        m_testbed.AddUart("ttyS0", "4");
        m_testbed.AddUart("ttyS1", "0");
    }
    VemsyncRun Vemsync(const std::vector<std::string>& args)
    {
        VemsyncOptions options;
        options.xdgDataHome = m_home.Path();
        return RunVemsync(args, options);
    }
    // The port list as `vemsync ports` prints it, with COM3 as given.
    static std::vector<std::string> Listing(const std::string& com3, const std::vector<std::string>& devices)
    {
        std::vector<std::string> lines{"COM1   /dev/ttyS0 (драйвер serial8250)", "COM2   /dev/ttyS1 (нет устройства)",
                                       "COM3   " + com3};
        for (int n = 4; n <= 10; ++n)
            lines.push_back((n < 10 ? "COM" + std::to_string(n) + "   " : std::string("COM10  ")) + "/dev/ttyS" +
                            std::to_string(n - 1) + " (нет устройства)");
        lines.push_back("");
        lines.push_back("Устройства:");
        lines.insert(lines.end(), devices.begin(), devices.end());
        return lines;
    }

    CUdevTestbed m_testbed;
    CTempFolder m_home;
    CTempFolder m_others;
    std::string m_adapter;
    std::string m_file = m_others.Path() + "/notes.txt";
    std::string m_fifo = m_others.Path() + "/pipe";
};

TEST_F(VemsyncPorts, ListsPortNamesThenDevicesAndFollowsAMapping)
{
    const std::vector<std::string> devices{
        "/dev/ttyACM0 — Arduino Uno, 2341:0043, серийный номер 7563331, драйвер cdc_acm",
        "    /dev/serial/by-id/usb-Arduino_Uno_7563331-if00",
        "/dev/ttyS0 — драйвер serial8250",
        "/dev/ttyUSB0 — " + FTDI_ADAPTER_TEXT,
        "    " + FTDI_ADAPTER_BY_ID,
    };
    const VemsyncRun before = Vemsync({"ports"});
    ASSERT_EQ(before.status, 0) << before.Describe();
    EXPECT_EQ(LinesOf(before.out), Listing("/dev/ttyS2 (нет устройства)", devices)) << before.out;

    const VemsyncRun mapped = Vemsync({"ports", "map", "COM3", "ttyUSB0"});
    ASSERT_EQ(mapped.status, 0) << mapped.Describe();
    const std::string reached = "ссылка на " + FTDI_ADAPTER_BY_ID + " → /dev/ttyUSB0 (" + FTDI_ADAPTER_TEXT + ")";
    EXPECT_EQ(mapped.out, "COM3   " + reached + "\n");
    EXPECT_EQ(std::filesystem::read_symlink(m_home.Path() + "/MFCVemSync/ports/COM3"), FTDI_ADAPTER_BY_ID)
        << "the stable name, not the node";
    EXPECT_EQ(LinesOf(Vemsync({"ports"}).out), Listing(reached, devices));

    m_testbed.Unplug(m_adapter);
    const std::vector<std::string> left(devices.begin(), devices.begin() + 3);
    EXPECT_EQ(LinesOf(Vemsync({"ports"}).out),
              Listing("ссылка на " + FTDI_ADAPTER_BY_ID + " (нет устройства: не подключено)", left));

    const VemsyncRun unmapped = Vemsync({"ports", "unmap", "COM3"});
    ASSERT_EQ(unmapped.status, 0) << unmapped.Describe();
    EXPECT_EQ(unmapped.out, "COM3   /dev/ttyS2 (нет устройства)\n");
    EXPECT_FALSE(std::filesystem::exists(m_home.Path() + "/MFCVemSync/ports/COM3"));
}

struct FailureRow {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string err;
};

TEST_F(VemsyncPorts, RefusedChangesSayWhyAndChangeNothing)
{
    const FailureRow rows[] = {
        {"unknown device", {"ports", "map", "COM3", "ttyUSB4"}, 1,
         "vemsync: устройство ttyUSB4 не найдено (vemsync ports покажет найденные)\n"},
        {"name outside the list", {"ports", "map", "COM11", "ttyUSB0"}, 1,
         "vemsync: «COM11» — не имя порта из списка (COM1 … COM10)\n"},
        {"unmap outside the list", {"ports", "unmap", "LPT1"}, 1,
         "vemsync: «LPT1» — не имя порта из списка (COM1 … COM10)\n"},
        {"map without a device", {"ports", "map", "COM3"}, 2,
         "vemsync: не хватает аргументов; запуск: vemsync ports map COMn УСТРОЙСТВО\n"},
        // Only a serial line is taken.
        {"a regular file", {"ports", "map", "COM3", m_file}, 1,
         "vemsync: «" + m_file + "» — не последовательный порт: это обычный файл\n"},
        {"a folder", {"ports", "map", "COM3", m_home.Path()}, 1,
         "vemsync: «" + m_home.Path() + "» — не последовательный порт: это папка\n"},
        {"a FIFO", {"ports", "map", "COM3", m_fifo}, 1,
         "vemsync: «" + m_fifo + "» — не последовательный порт: это именованный канал\n"},
        {"the null device", {"ports", "map", "COM3", "/dev/null"}, 1,
         "vemsync: «/dev/null» — не последовательный порт: устройство не отвечает как последовательный порт\n"},
        {"the process's terminal", {"ports", "map", "COM3", "/dev/tty"}, 1,
         "vemsync: «/dev/tty» — не последовательный порт: это консоль или терминал, а не линия связи\n"},
    };
    { std::ofstream(m_file) << "not a port"; }
    ASSERT_EQ(::mkfifo(m_fifo.c_str(), 0600), 0);
    for (const FailureRow& row : rows) {
        const VemsyncRun run = Vemsync(row.args);
        EXPECT_EQ(run.status, row.status) << row.name << "\n" << run.Describe();
        EXPECT_EQ(run.err, row.err) << row.name;
        EXPECT_EQ(run.out, "") << row.name;
    }
    EXPECT_FALSE(std::filesystem::exists(m_home.Path() + "/MFCVemSync/ports"));
}

// A port folder that others could change is not trusted: its links are
// ignored and the operator is told why, as ssh does with a folder of its own.
TEST_F(VemsyncPorts, PortFolderOthersCouldChangeIsIgnored)
{
    ASSERT_EQ(Vemsync({"ports", "map", "COM3", "ttyUSB0"}).status, 0);
    const std::string folder = m_home.Path() + "/MFCVemSync/ports";
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);

    const VemsyncRun listed = Vemsync({"ports"});
    ASSERT_EQ(listed.status, 0) << listed.Describe();
    EXPECT_EQ(LinesOf(listed.out).at(2), "COM3   /dev/ttyS2 (нет устройства)") << listed.out;
    EXPECT_EQ(listed.err.rfind("vemsync: Папка портов " + folder + " не используется: " + folder +
                                   " доступна для записи другим.",
                               0),
              0u)
        << listed.err;
    const VemsyncRun mapped = Vemsync({"ports", "map", "COM4", "ttyUSB0"});
    EXPECT_EQ(mapped.status, 1) << mapped.Describe();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(folder + "/COM4")));

    // Its owner's own again: the link counts.
    ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
    EXPECT_NE(LinesOf(Vemsync({"ports"}).out).at(2).find("ссылка на "), std::string::npos);
}

} // namespace
