// CDeviceWatch: the udev monitor's socket watched in the window's event loop.
#include "dialog/device_watch.h"

#include <QSocketNotifier>

CDeviceWatch::CDeviceWatch(QObject* parent) : QObject(parent)
{
    if (m_monitor.Fd() < 0)
        return;
    m_notifier = new QSocketNotifier(m_monitor.Fd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CDeviceWatch::OnReadable);
}

void CDeviceWatch::OnReadable()
{
    // One plug can bring several events; one look at the devices after
    // taking them all is enough.
    bool any = false;
    while (m_monitor.TakeEvent())
        any = true;
    if (any)
        Q_EMIT Changed();
}
