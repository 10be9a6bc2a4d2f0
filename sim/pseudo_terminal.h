// CPseudoTerminal: the simulator's end of the serial line, a pseudo-terminal.
#pragma once

#include <string>

#include "sim/file_descriptor.h"

// The simulator's end of the serial line: a pseudo-terminal whose slave is
// the port a client opens. The simulator keeps a slave descriptor of its own
// for its whole life, so the master never sees a hang-up when the client
// closes and reopens the port, and puts the line into raw mode at 38400
// baud at once, before any client can see echoed or translated bytes. That
// descriptor takes no lock, so the client's exclusive open still works.
class CPseudoTerminal {
public:
    // Opens a new pair; false with `error` set when the system refuses.
    bool Open(std::string& error);

    int Master() const { return m_master.Get(); }
    const std::string& SlavePath() const { return m_slavePath; }

private:
    CFileDescriptor m_master;
    CFileDescriptor m_slave;
    std::string m_slavePath;
};
