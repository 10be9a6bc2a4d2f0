// CDeviceWatch: the system's device-change messages, seen by a native event filter.
#include "dialog/device_watch.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QMetaObject>

#include <windows.h>
#include <dbt.h>

namespace {

// Whether a WM_DEVICECHANGE may have changed the serial ports: a device
// arrived or went, or the device tree changed in a way the message does
// not say (a port renumbered in the Device Manager, a driver installed).
// The message's data is not looked into: any program may post one, and an
// arriving memory stick only costs one look at the ports too many.
bool ConcernsPorts(WPARAM event)
{
    return event == DBT_DEVNODES_CHANGED || event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE;
}

} // namespace

// The system sends WM_DEVICECHANGE to every top-level window; the filter
// sees it for the program's own windows, and for messages posted to the
// thread, before Qt handles them.
struct CDeviceWatch::Source : QAbstractNativeEventFilter {
    explicit Source(CDeviceWatch& watch) : m_watch(watch) {}

    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override
    {
        const auto* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_DEVICECHANGE || !ConcernsPorts(msg->wParam) || m_pending)
            return false;
        // A plug brings several messages, some sent while the system waits
        // for the answer: the devices are looked at once, after they have
        // all been answered.
        m_pending = true;
        QMetaObject::invokeMethod(
            &m_watch,
            [this] {
                m_pending = false;
                Q_EMIT m_watch.Changed();
            },
            Qt::QueuedConnection);
        return false;
    }

    CDeviceWatch& m_watch;
    bool m_pending = false;
};

CDeviceWatch::CDeviceWatch(QObject* parent) : QObject(parent), m_source(std::make_unique<Source>(*this))
{
    QCoreApplication::instance()->installNativeEventFilter(m_source.get());
}

CDeviceWatch::~CDeviceWatch()
{
    QCoreApplication::instance()->removeNativeEventFilter(m_source.get());
}
