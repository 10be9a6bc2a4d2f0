// PtyPair: a pseudo-terminal pair standing in for a serial line in tests.
#pragma once

#include <string>

// A pseudo-terminal pair standing in for a serial line: the code under test
// opens SlavePath() as its device, the test plays the far end on MasterFd()
// (non-blocking). The pair also holds a descriptor of the slave itself, so
// the master stays usable while the code under test closes and reopens its
// side. Throws std::system_error when the system has no terminal to give.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int MasterFd() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }
    // The pair's own descriptor of the slave: for looking at its settings.
    int HeldSlaveFd() const { return m_heldSlave; }

    // Hangs up the line, as an unplugged cable or a vanished device would.
    void CloseMaster();

private:
    int m_master = -1;
    int m_heldSlave = -1;
    std::string m_slavePath;
};
