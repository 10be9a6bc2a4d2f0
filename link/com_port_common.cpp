// CComPort's accessors that are the same on every system.
#include "link/com_port.h"

int CComPort::LastOpenError() const
{
    return m_lastOpenError;
}

std::uint32_t CComPort::TimeoutMs() const
{
    return m_timeoutMs;
}
