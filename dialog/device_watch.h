// CDeviceWatch: tells a window when serial devices come or go.
#pragma once

#include <QObject>

#include <memory>

// Tells a window when serial devices come or go: on Linux from the udev
// monitor's socket in the window's event loop, on Windows from the
// system's device-change messages. Where neither can be had it simply
// never fires.
class CDeviceWatch : public QObject {
    Q_OBJECT

public:
    explicit CDeviceWatch(QObject* parent = nullptr);
    ~CDeviceWatch() override;

Q_SIGNALS:
    // Once for all the events waiting; the devices are to be looked at anew.
    void Changed();

private:
    struct Source;
    std::unique_ptr<Source> m_source;
};
