// CPeerWatch: frees the simulator's terminal when a client died holding it exclusively.
#pragma once

#include <string>
#include <thread>

#include "sim/file_descriptor.h"

// Watches the simulator's terminal for clients that go away. A client opens
// the port for exclusive use and clears that when it closes; one that dies
// instead leaves the flag set on the terminal, which the simulator keeps
// open, and every later open would be refused as busy. When the last client
// has closed, the watch clears the flag through the simulator's own slave
// descriptor, as a controller's end of a real line would not hold it.
class CPeerWatch {
public:
    CPeerWatch() = default;
    ~CPeerWatch();
    CPeerWatch(const CPeerWatch&) = delete;
    CPeerWatch& operator=(const CPeerWatch&) = delete;

    // Watches `slavePath`, clearing exclusive use through `slave`, until
    // `stop` reads as ready. False with `error` when the watch cannot be set.
    bool Start(const std::string& slavePath, int slave, int stop, std::string& error);
    // Waits until the watch has ended, once `stop` was made ready.
    void Join();

private:
    void Run(int stop);
    // Clears exclusive use when it is set and no other process holds the
    // terminal open.
    void ReleaseIfAbandoned();

    std::string m_slavePath;
    int m_slave = -1;
    CFileDescriptor m_inotify;
    std::thread m_thread;
};
