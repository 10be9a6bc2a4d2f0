// Draws the port setup dialog for the README over made-up devices: two USB
// adapters and a board's ACM port, COM3 assigned to the first adapter and
// COM4 to one that is not plugged in. Run it under umockdev-wrapper with
// QT_QPA_PLATFORM=offscreen (scripts/screenshot.sh does).
//
// usage: port-setup-screenshot OUT.png

#include <QApplication>
#include <QPixmap>
#include <QTableWidget>

#include <cstdio>
#include <string>

#include "dialog/port_setup_dlg.h"
#include "link/port_map.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "tests/support/udev_testbed.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
        return 2;
    }
    if (!CUdevTestbed::Active()) {
        std::fprintf(stderr, "%s: run under umockdev-wrapper\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    CUdevTestbed testbed;
    testbed.AddUsbSerial(FTDI_ADAPTER);
    testbed.AddUsbSerial({"ttyUSB1", "1-2", "usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0",
                          "Prolific Technology Inc.", "USB-Serial Controller", "", "067b", "2303", "pl2303"});
    testbed.AddUsbSerial(ACM_BOARD);
    testbed.AddUart("ttyS0", "4");
    CTempFolder home;
    ScopedEnv dataHome("XDG_DATA_HOME", home.Path().c_str());
    std::string error;
    if (!MapPort("COM3", FTDI_ADAPTER_BY_ID, error) ||
        !MapPort("COM4", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_B20Q1ABC-if00-port0", error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }

    CPortSetupDlg dialog;
    dialog.findChild<QTableWidget*>(QStringLiteral("tablePorts"))->selectRow(2);
    dialog.findChild<QTableWidget*>(QStringLiteral("tableDevices"))->selectRow(3);
    dialog.show();
    QApplication::processEvents();
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
