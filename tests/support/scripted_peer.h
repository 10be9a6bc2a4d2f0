// ScriptedPeer: the far end of a line, run by a test's script on its own thread.
#pragma once

#include <functional>
#include <thread>

#include "tests/support/peer_line.h"

// Runs the far end of a line on its own thread: the script reads what the
// code under test sends, checks it with gtest expectations and answers.
// The destructor waits for the script to end.
class ScriptedPeer {
public:
    ScriptedPeer(int fd, std::function<void(PeerLine&)> script);
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    // Waits for the script to end.
    void Join();

private:
    PeerLine m_line;
    std::thread m_thread;
};
