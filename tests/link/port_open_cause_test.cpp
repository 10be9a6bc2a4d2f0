// Tests of why a port did not open: no permission, busy with or without a holder.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "link/com_port.h"
#include "link/port_open_cause.h"
#include "tests/support/pty_pair.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr std::uint32_t BAUD = 38400;
constexpr std::uint32_t TIMEOUT_MS = 50;
const std::string DIALOUT_CAUSE = ". Пользователь должен входить в группу dialout: выполните "
                                  "«sudo adduser $USER dialout», затем выйдите из системы и войдите снова.";

// The errno of an open of `path` by an unprivileged user in a child.
int OpenErrorOfAnotherUser(const std::string& path)
{
    constexpr uid_t NOBODY = 65534;
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(NOBODY) != 0 || ::setuid(NOBODY) != 0))
            ::_exit(255);
        CComPort port;
        port.Open(path.c_str(), BAUD, TIMEOUT_MS);
        ::_exit(port.LastOpenError());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::string OwnCommand()
{
    std::ifstream comm("/proc/self/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

class PortOpenCauses : public ::testing::Test {
protected:
    CTempFolder m_home;
    ScopedEnv m_env{"XDG_DATA_HOME", m_home.Path().c_str()};
};

TEST_F(PortOpenCauses, NoPermissionNamesTheDialoutGroupAndHowToJoinIt)
{
    PtyPair pty;
    // A device only its owner may open, as /dev/ttyUSB0 is to a user
    // outside the dialout group.
    ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0600), 0);
    const int error = OpenErrorOfAnotherUser(pty.SlavePath());
    ASSERT_EQ(error, EACCES);
    EXPECT_EQ(PortOpenCause(pty.SlavePath(), error), "Нет прав на доступ к " + pty.SlavePath() + DIALOUT_CAUSE);
}

TEST_F(PortOpenCauses, BusyNamesTheProcessThatHoldsThePort)
{
    PtyPair pty;
    CComPort holder;
    ASSERT_TRUE(holder.Open(pty.SlavePath().c_str(), BAUD, TIMEOUT_MS));
    CComPort second;
    ASSERT_FALSE(second.Open(pty.SlavePath().c_str(), BAUD, TIMEOUT_MS));
    ASSERT_EQ(second.LastOpenError(), EBUSY);
    EXPECT_EQ(PortOpenCause(pty.SlavePath(), EBUSY),
              pty.SlavePath() + " занят. Его держит открытым: " + OwnCommand() + " (PID " +
                  std::to_string(::getpid()) + "). Закройте эту программу и выберите порт снова.");
}

TEST_F(PortOpenCauses, BusyWithNoHolderInSightSaysSo)
{
    // Nobody holds a path that does not exist: the holder cannot be found.
    const std::string path = m_home.Path() + "/ttyUSB7";
    EXPECT_TRUE(ProcessesHolding(path).empty());
    EXPECT_EQ(PortOpenCause(path, EBUSY),
              path + " занят. Его держит открытым другая программа (какая — узнать не удалось: "
                     "возможно, она запущена другим пользователем). Закройте её и выберите порт снова.");
}

struct CauseRow {
    const char* name;
    std::string port;
    int error;
    std::string expected;
};

TEST_F(PortOpenCauses, EachCauseNamesTheDeviceTried)
{
    const std::string folder = m_home.Path() + "/MFCVemSync/ports";
    std::filesystem::create_directories(folder);
    const std::string byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K-if00-port0";
    std::filesystem::create_symlink(byId, folder + "/COM4");
    const std::string notFound = " не найдено: адаптер не подключён или порт назначен не тому устройству "
                                 "(см. «Настройка портов…» или vemsync ports).";
    const CauseRow rows[] = {
        {"unplugged adapter behind a port name", "COM4", ENOENT,
         "Устройство COM4 (" + folder + "/COM4 → " + byId + ")" + notFound},
        {"fixed port of a port name", "COM2", ENOENT, "Устройство COM2 (/dev/ttyS1)" + notFound},
        {"device path", "/dev/ttyUSB3", ENODEV, "Устройство /dev/ttyUSB3" + notFound},
        {"UART without hardware", "COM1", EIO,
         "COM1 (/dev/ttyS0) есть в системе, но не отвечает: у порта нет микросхемы UART или адаптер "
         "неисправен."},
        {"not a terminal", "/tmp", ENOTTY, "/tmp — не последовательный порт."},
        {"no permission through a port name", "COM4", EPERM,
         "Нет прав на доступ к COM4 (" + folder + "/COM4 → " + byId + ")" + DIALOUT_CAUSE},
        {"no failure", "COM1", 0, ""},
    };
    for (const CauseRow& row : rows)
        EXPECT_EQ(PortOpenCause(row.port, row.error), row.expected) << row.name;
}

} // namespace
