// ScriptedPeer: a test's script run as the far end of the line on a thread of its own.
#include "tests/support/scripted_peer.h"

#include <utility>

ScriptedPeer::ScriptedPeer(int fd, std::function<void(PeerLine&)> script)
    : m_line(fd), m_thread([this, body = std::move(script)] { body(m_line); })
{
}

ScriptedPeer::~ScriptedPeer()
{
    Join();
}

void ScriptedPeer::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}
