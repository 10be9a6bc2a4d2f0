// CPortSetupDlg: where the operator links a port name of the list to a serial device, or sees the COM ports.
#pragma once

#include <QDialog>

#include <memory>
#include <vector>

#include "link/serial_devices.h"


namespace Ui {
class CPortSetupDlg;
}

// Where the operator links a port name of the list to a serial device, or
// clears the link, without a terminal. It shows what each port name reaches
// now and the devices found, and follows devices coming and going while it
// is open. A link is made by the port map, in the port folder. On Windows
// it only shows the ports and devices, and says where a port's number is
// changed.
class CPortSetupDlg : public QDialog {
    Q_OBJECT

public:
    explicit CPortSetupDlg(QWidget* parent = nullptr);
    ~CPortSetupDlg() override;

    // Reads the devices and the port folder again and shows them, keeping
    // the rows chosen.
    void Refresh();

private:
    void UpdateButtons();
    void ShowTargets();
    void ShowDevices();
#ifndef _WIN32
    void OnAssign();
    void OnClear();
    void Warn(const std::string& error);
#endif

    std::unique_ptr<Ui::CPortSetupDlg> m_form;
    std::vector<SerialDevice> m_devices;
};
