// CDeviceWatch: tells a window when serial devices come or go.
#pragma once

#include <QObject>

#include "link/serial_devices.h"

class QSocketNotifier;

// Tells a window when serial devices come or go, from the udev monitor's
// socket in the window's event loop. Without udev it simply never fires.
class CDeviceWatch : public QObject {
    Q_OBJECT

public:
    explicit CDeviceWatch(QObject* parent = nullptr);

Q_SIGNALS:
    // Once for all the events waiting; the devices are to be looked at anew.
    void Changed();

private:
    void OnReadable();

    CSerialDeviceMonitor m_monitor;
    QSocketNotifier* m_notifier = nullptr;
};
