// CComPort on Windows: the COM port through Win32 handles, DCB and time-outs.
#include "link/com_port.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <utility>

#include <windows.h>

#include "platform/win32_text.h"
#include "link/port_names.h"

namespace {

constexpr DWORD QUEUE_SIZE = 1024;

HANDLE HandleOf(std::intptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}

// A port that another program holds is refused with "access denied".
int ErrnoOfOpenError(DWORD error)
{
    return error == ERROR_ACCESS_DENIED ? EBUSY : ErrnoOfSystemError(error);
}

constexpr std::size_t MAX_CALL_SIZE = std::numeric_limits<DWORD>::max();

// Errors with which the serial drivers fail every call on a handle whose
// device was removed (a USB adapter pulled out): the handle stays valid but
// leads nowhere.
bool MeansDeviceGone(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
        return true;
    default:
        return false;
    }
}

} // namespace

CComPort::CComPort() = default;

CComPort::~CComPort()
{
    Close();
}

CComPort::CComPort(CComPort&& other) noexcept
    : m_handle(std::exchange(other.m_handle, CLOSED)),
      m_timeoutMs(std::exchange(other.m_timeoutMs, 0)),
      m_lastOpenError(other.m_lastOpenError), m_hungUp(std::exchange(other.m_hungUp, false))
{
}

CComPort& CComPort::operator=(CComPort&& other) noexcept
{
    if (this != &other) {
        Close();
        m_handle = std::exchange(other.m_handle, CLOSED);
        m_timeoutMs = std::exchange(other.m_timeoutMs, 0);
        m_lastOpenError = other.m_lastOpenError;
        m_hungUp = std::exchange(other.m_hungUp, false);
    }
    return *this;
}

bool CComPort::Open(const char* portName, std::uint32_t baudRate, std::uint32_t timeoutMs)
{
    if (IsOpen())
        return false;
    if (portName == nullptr)
        return FailOpen(EINVAL);

    // Share mode 0: the port is ours alone until Close.
    const std::wstring device = WideOf(ResolvePortName(portName));
    const HANDLE handle = ::CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return FailOpen(ErrnoOfOpenError(::GetLastError()));
    m_handle = reinterpret_cast<std::intptr_t>(handle);

    if (!::SetupComm(handle, QUEUE_SIZE, QUEUE_SIZE) || !Configure(baudRate))
        return FailOpen(ErrnoOfSystemError(::GetLastError()));
    if (!SetTimeouts(timeoutMs))
        return FailOpen(ErrnoOfSystemError(::GetLastError()));
    m_lastOpenError = 0;
    return true;
}

// The settings are built from zero, not from the port's current state, so
// nothing another program left behind survives the open.
bool CComPort::Configure(std::uint32_t baudRate)
{
    const HANDLE handle = HandleOf(m_handle);
    DCB settings{};
    settings.DCBlength = sizeof settings;
    settings.BaudRate = baudRate;
    settings.fBinary = 1;
    settings.fDtrControl = DTR_CONTROL_DISABLE;
    settings.fRtsControl = RTS_CONTROL_DISABLE;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    if (!::SetCommState(handle, &settings))
        return false;
    // Some drivers and adapters have no modem lines to clear.
    ::EscapeCommFunction(handle, CLRDTR);
    ::EscapeCommFunction(handle, CLRRTS);
    return true;
}

bool CComPort::FailOpen(int error)
{
    Close();
    m_lastOpenError = error;
    return false;
}

// The system keeps the read rule itself: the interval time-out is the gap
// between two bytes (its clock starts at the first byte), and the total is
// one millisecond a byte plus T.
bool CComPort::SetTimeouts(std::uint32_t timeoutMs)
{
    if (!IsOpen())
        return false;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = timeoutMs;
    timeouts.ReadTotalTimeoutMultiplier = 1;
    timeouts.ReadTotalTimeoutConstant = timeoutMs;
    if (!::SetCommTimeouts(HandleOf(m_handle), &timeouts))
        return false;
    m_timeoutMs = timeoutMs;
    return true;
}

bool CComPort::NoteFailure(int error)
{
    if (MeansDeviceGone(static_cast<DWORD>(error)))
        m_hungUp = true;
    return false;
}

bool CComPort::CheckHangUp()
{
    if (!IsOpen())
        return m_hungUp;
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(HandleOf(m_handle), &errors, &status))
        NoteFailure(static_cast<int>(::GetLastError()));
    return m_hungUp;
}

bool CComPort::Purge()
{
    if (!IsOpen())
        return false;
    if (::PurgeComm(HandleOf(m_handle), PURGE_TXCLEAR | PURGE_RXCLEAR) != 0)
        return true;
    return NoteFailure(static_cast<int>(::GetLastError()));
}

bool CComPort::Write(std::span<const std::uint8_t> bytes)
{
    if (!IsOpen())
        return false;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        DWORD put = 0;
        const DWORD asked = static_cast<DWORD>(std::min(bytes.size() - sent, MAX_CALL_SIZE));
        if (!::WriteFile(HandleOf(m_handle), bytes.data() + sent, asked, &put, nullptr))
            return NoteFailure(static_cast<int>(::GetLastError()));
        if (put == 0)
            return false;
        sent += put;
    }
    return true;
}

bool CComPort::Read(std::span<std::uint8_t> into)
{
    if (!IsOpen())
        return false;
    if (into.size() > MAX_CALL_SIZE)
        return false;
    DWORD got = 0;
    if (!::ReadFile(HandleOf(m_handle), into.data(), static_cast<DWORD>(into.size()), &got, nullptr))
        return NoteFailure(static_cast<int>(::GetLastError()));
    return got == into.size();
}

bool CComPort::Close()
{
    if (!IsOpen())
        return true;
    ::CloseHandle(HandleOf(m_handle));
    m_handle = CLOSED;
    m_timeoutMs = 0;
    m_hungUp = false;
    return true;
}

bool CComPort::IsOpen() const
{
    return m_handle != CLOSED;
}
