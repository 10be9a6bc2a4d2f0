// CDeviceWatch: the udev monitor's socket watched in the window's event loop.
#include "dialog/device_watch.h"

#include <QSocketNotifier>

#include "link/serial_devices.h"

struct CDeviceWatch::Source {
    CSerialDeviceMonitor monitor;
    std::unique_ptr<QSocketNotifier> notifier;
};

CDeviceWatch::CDeviceWatch(QObject* parent) : QObject(parent), m_source(std::make_unique<Source>())
{
    if (m_source->monitor.Fd() < 0)
        return;
    m_source->notifier = std::make_unique<QSocketNotifier>(m_source->monitor.Fd(), QSocketNotifier::Read);
    connect(m_source->notifier.get(), &QSocketNotifier::activated, this, [this] {
        // One plug can bring several events; one look at the devices after
        // taking them all is enough.
        bool any = false;
        while (m_source->monitor.TakeEvent())
            any = true;
        if (any)
            Q_EMIT Changed();
    });
}

CDeviceWatch::~CDeviceWatch() = default;
