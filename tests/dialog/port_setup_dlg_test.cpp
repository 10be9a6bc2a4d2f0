// The port setup dialog and the port list's tooltips over serial devices
// made up with umockdev, with a port folder of the test's own.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <array>
#include <chrono>
#include <filesystem>

#include "dialog/mfc_vem_sync_dlg.h"
#include "dialog/port_setup_dlg.h"
#include "link/controller_link.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "tests/support/udev_testbed.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;


QString Qs(const std::string& text)
{
    return QString::fromStdString(text);
}

class PortSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CUdevTestbed::Active()) << "run under umockdev-wrapper";
        m_adapter = m_testbed.AddUsbSerial(FTDI_ADAPTER);
        m_testbed.AddUsbSerial(ACM_BOARD);
        m_testbed.AddUart("ttyS2", "4");
        m_testbed.AddUart("ttyS3", "0");
    }
    fs::path Folder() const { return fs::path(m_home.Path()) / "MFCVemSync" / "ports"; }

    static QStringList Column(QTableWidget* table, int column)
    {
        QStringList texts;
        for (int row = 0; row < table->rowCount(); ++row)
            texts.push_back(table->item(row, column)->text());
        return texts;
    }
    // Lets the dialog take udev's events until `done` holds or 10 s are gone.
    template <typename Done>
    static bool Await(Done done)
    {
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
        while (!done() && Clock::now() < deadline)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return done();
    }

    CUdevTestbed m_testbed;
    CTempFolder m_home;
    ScopedEnv m_env{"XDG_DATA_HOME", m_home.Path().c_str()};
    std::string m_adapter;
};

TEST_F(PortSetup, AssignsAFoundDeviceByItsStableNameAndClearsIt)
{
    CPortSetupDlg dialog;
    dialog.show();
    auto* ports = dialog.findChild<QTableWidget*>(QStringLiteral("tablePorts"));
    auto* devices = dialog.findChild<QTableWidget*>(QStringLiteral("tableDevices"));
    auto* assign = dialog.findChild<QPushButton*>(QStringLiteral("buttonAssign"));
    auto* clear = dialog.findChild<QPushButton*>(QStringLiteral("buttonClear"));

    EXPECT_EQ(Column(ports, 0), (QStringList{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8",
                                             "COM9", "COM10"}));
    EXPECT_EQ(ports->item(2, 1)->text(), Qs("/dev/ttyS2 (драйвер serial8250)"));
    EXPECT_EQ(ports->item(3, 1)->text(), Qs("/dev/ttyS3 (нет устройства)"));
    EXPECT_EQ(Column(devices, 0), (QStringList{"/dev/ttyACM0", "/dev/ttyS2", "/dev/ttyUSB0"}));
    EXPECT_EQ(devices->item(2, 1)->text(), Qs("FTDI FT232R USB UART"));
    EXPECT_EQ(devices->item(2, 2)->text(), Qs("0403:6001"));
    EXPECT_EQ(devices->item(2, 3)->text(), Qs("A10K0XYZ"));
    EXPECT_EQ(devices->item(2, 4)->text(), Qs("ftdi_sio"));
    EXPECT_EQ(devices->item(2, 5)->text(), Qs(FTDI_ADAPTER_BY_ID));
    EXPECT_FALSE(assign->isEnabled()) << "no device chosen yet";
    EXPECT_FALSE(clear->isEnabled()) << "COM1 is not assigned";

    ports->selectRow(4);
    devices->selectRow(2);
    ASSERT_TRUE(assign->isEnabled());
    assign->click();
    EXPECT_EQ(fs::read_symlink(Folder() / "COM5"), FTDI_ADAPTER_BY_ID);
    ports->selectRow(0);
    devices->selectRow(1);
    assign->click();
    EXPECT_EQ(fs::read_symlink(Folder() / "COM1"), "/dev/ttyS2") << "no by-id name: the node";
    std::vector<std::string> entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(Folder()))
        entries.push_back(entry.path().filename().string());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"COM1", "COM5"})) << "exactly the links asked for";
    EXPECT_EQ(ports->item(4, 1)->text(), Qs("ссылка на " + FTDI_ADAPTER_BY_ID + " → /dev/ttyUSB0 (" + FTDI_ADAPTER_TEXT + ")"));

    ports->selectRow(4);
    ASSERT_TRUE(clear->isEnabled());
    clear->click();
    EXPECT_FALSE(fs::exists(fs::symlink_status(Folder() / "COM5")));
    EXPECT_EQ(ports->item(4, 1)->text(), Qs("/dev/ttyS4 (нет устройства)"));
    EXPECT_FALSE(clear->isEnabled());
}

TEST_F(PortSetup, AdaptersPluggedAndUnpluggedWhileItIsOpenAreSeen)
{
    fs::create_directories(Folder());
    fs::create_symlink(FTDI_ADAPTER_BY_ID, Folder() / "COM2");
    CPortSetupDlg dialog;
    dialog.show();
    auto* ports = dialog.findChild<QTableWidget*>(QStringLiteral("tablePorts"));
    auto* devices = dialog.findChild<QTableWidget*>(QStringLiteral("tableDevices"));
    ASSERT_EQ(devices->rowCount(), 3);
    devices->selectRow(0);

    m_testbed.Unplug(m_adapter);
    ASSERT_TRUE(Await([&] { return devices->rowCount() == 2; })) << "the unplug was not seen";
    EXPECT_EQ(Column(devices, 0), (QStringList{"/dev/ttyACM0", "/dev/ttyS2"}));
    EXPECT_EQ(devices->currentRow(), 0) << "the chosen device stays chosen";
    EXPECT_EQ(ports->item(1, 1)->text(), Qs("ссылка на " + FTDI_ADAPTER_BY_ID + " (нет устройства: не подключено)"));

    m_testbed.PlugUsbSerial(FTDI_ADAPTER);
    ASSERT_TRUE(Await([&] { return devices->rowCount() == 3; })) << "the plug was not seen";
    EXPECT_EQ(ports->item(1, 1)->text(),
              Qs("ссылка на " + FTDI_ADAPTER_BY_ID + " → /dev/ttyUSB0 (" + FTDI_ADAPTER_TEXT + ")"))
        << "the same COM name reaches the adapter again";
}

TEST_F(PortSetup, PortListTooltipsSayWhatEachNameReaches)
{
    fs::create_directories(Folder());
    fs::create_symlink(m_home.Path() + "/unplugged", Folder() / "COM1");
    fs::create_symlink(FTDI_ADAPTER_BY_ID, Folder() / "COM2");
    CControllerLink link(38400, "COM1", 100);
    ASSERT_FALSE(link.IsOpen());
    ControllerInfo info;
    std::array<std::uint8_t, TRANSFER_BUFFER_SIZE> buffer{};
    CMFCVemSyncDlg dialog(link, info, buffer);
    auto* list = dialog.findChild<QComboBox*>(QStringLiteral("comboPort"));

    const std::string unplugged = "COM1: ссылка на " + m_home.Path() + "/unplugged (нет устройства: не подключено)";
    QStringList expected{Qs(unplugged), Qs("COM2: ссылка на " + FTDI_ADAPTER_BY_ID + " → /dev/ttyUSB0 (" + FTDI_ADAPTER_TEXT + ")"),
                         Qs("COM3: /dev/ttyS2 (драйвер serial8250)")};
    for (int n = 4; n <= 10; ++n)
        expected.push_back(Qs("COM" + std::to_string(n) + ": /dev/ttyS" + std::to_string(n - 1) + " (нет устройства)"));
    QStringList tips;
    for (int i = 0; i < list->count(); ++i)
        tips.push_back(list->itemData(i, Qt::ToolTipRole).toString());
    EXPECT_EQ(tips, expected);

    auto* status = dialog.findChild<QLabel*>(QStringLiteral("labelStatus"));
    EXPECT_EQ(status->text(), QString()) << "the status keeps its own words";
    EXPECT_TRUE(status->toolTip().startsWith(Qs(unplugged + "\nУстройство COM1 ("))) << status->toolTip().toStdString();

    // Pulled out while the window is open: the tooltip follows.
    m_testbed.Unplug(m_adapter);
    const QString gone = Qs("COM2: ссылка на " + FTDI_ADAPTER_BY_ID + " (нет устройства: не подключено)");
    EXPECT_TRUE(Await([&] { return list->itemData(1, Qt::ToolTipRole).toString() == gone; }))
        << list->itemData(1, Qt::ToolTipRole).toString().toStdString();
}

} // namespace
