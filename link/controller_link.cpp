// CControllerLink: one request, one checked reply, and the line drained after a failure.
#include "link/controller_link.h"

#include <algorithm>
#include <utility>

#include "link/crc16.h"

static_assert(LinkFrame::MAX_REPLY_SIZE >= LinkFrame::MAX_REQUEST_SIZE,
              "the frame buffer holds the request before the reply");

namespace {

// Modbus RTU has no transaction number: a reply is known as the answer to
// the last request only because nothing else is on the line. A reply that
// comes after its request has failed would be taken as the answer to the
// next one, so after a failure the line is drained before the next request:
// everything is discarded until LATE_REPLY_FACTOR time-outs (and a margin
// for a loaded machine) have passed since the failed request went out, and
// then until the line has been quiet for QUIET_MS, so that a reply caught
// half-way is dropped whole. A healthy transfer never waits for this.
constexpr int LATE_REPLY_FACTOR = 3;
constexpr std::chrono::milliseconds LATE_MARGIN{250};
// Longer than any pause inside a reply (a USB adapter's latency included)
// and far shorter than a controller's answer to a request.
constexpr std::chrono::milliseconds QUIET{30};
// A line that never falls quiet is left after this much more: the next
// transaction then fails on its own.
constexpr std::chrono::milliseconds DRAIN_LIMIT{2000};

// Whether a reply's function byte marks an exception reply: unit, function
// with the high bit set, exception code, CRC.
constexpr std::uint8_t EXCEPTION_FLAG = 0x80;

} // namespace

CControllerLink::CControllerLink(std::uint16_t baudRate, const char* portName,
                                 std::uint16_t timeoutMs)
{
    Open(portName, baudRate, timeoutMs);
}

CControllerLink::CControllerLink(CComPort port) : m_port(std::move(port)) {}

void CControllerLink::Open(const char* portName, std::uint32_t baudRate, std::uint32_t timeoutMs)
{
    m_portName = portName != nullptr ? portName : "";
    m_openBaudRate = baudRate;
    m_openTimeoutMs = timeoutMs;
    m_port.Open(portName, baudRate, timeoutMs);
    m_lost = false;
    // A reply to someone who had the port before may still be on its way.
    m_lateUntil = Clock::now();
}

bool CControllerLink::Reopen(const char* portName)
{
    m_port.Close();
    Open(portName, REOPEN_BAUD_RATE, REOPEN_TIMEOUT_MS);
    return m_port.IsOpen();
}

bool CControllerLink::ReopenLost()
{
    if (m_lost) {
        const std::string name = m_portName;
        Open(name.c_str(), m_openBaudRate, m_openTimeoutMs);
        // Still gone: it is tried again next time.
        m_lost = !m_port.IsOpen();
    }
    return m_port.IsOpen();
}

bool CControllerLink::CheckHangUp()
{
    if (!m_port.IsOpen() || !m_port.CheckHangUp())
        return false;
    m_lastFault = LinkFault{LinkFailure::PortGone, 0, m_port.TimeoutMs(), m_portName};
    Lose();
    return true;
}

void CControllerLink::Lose()
{
    m_port.Close();
    m_lost = true;
    // Nothing more can come from a device that is gone.
    m_lateUntil.reset();
}

void CControllerLink::NoteShortData()
{
    m_lastFault = LinkFault{LinkFailure::ShortData, 0, m_port.TimeoutMs(), m_portName};
}

bool CControllerLink::IsOpen() const
{
    return m_port.IsOpen();
}

int CControllerLink::LastOpenError() const
{
    return m_port.LastOpenError();
}

std::uint32_t CControllerLink::TimeoutMs() const
{
    return m_port.TimeoutMs();
}

bool CControllerLink::ReadRecord(std::uint8_t unit, std::uint16_t file, std::uint16_t record,
                                 std::uint16_t length, std::span<std::uint8_t> dest,
                                 std::size_t* received)
{
    m_lastFault.reset();
    const std::size_t size = LinkFrame::BuildReadRequest(
        std::span(m_frame).first<LinkFrame::READ_REQUEST_SIZE>(), unit, file, record, length);
    SendRequest(size);

    std::size_t dataSize = 0;
    const bool replied = ReceiveReply(dataSize);
    if (!replied)
        ClassifyFailure();
    ObserveReply(replied, dataSize);
    if (!replied) {
        NoteFailure();
        return false;
    }
    // The copy comes last, after every check, so a failure leaves the
    // caller's buffer as it was. A reply longer than the room is cut.
    const auto data = std::span(m_frame).subspan(LinkFrame::REPLY_DATA_OFFSET, dataSize);
    std::copy_n(data.begin(), std::min(dataSize, dest.size()), dest.begin());
    if (received != nullptr)
        *received = dataSize;
    return true;
}

bool CControllerLink::WriteRecord(std::uint8_t unit, std::uint16_t file, std::uint16_t record,
                                  std::span<const std::uint8_t> data)
{
    const std::size_t size = LinkFrame::BuildWriteRequest(m_frame, unit, file, record, data);
    m_writeUnanswered = false;
    m_lastFault.reset();
    if (size == 0)
        return false;
    const bool sent = SendRequest(size);
    m_port.SetTimeouts(WRITE_TIMEOUT_MS);

    std::size_t dataSize = 0;
    const bool replied = ReceiveReply(dataSize);
    if (!replied)
        ClassifyFailure();
    ObserveReply(replied, dataSize);
    if (!replied) {
        // An exception reply is the controller's refusal: nothing was stored.
        m_writeUnanswered = sent && m_failure != LinkFailure::Exception;
        NoteFailure();
        return false;
    }
    return true;
}

// Whatever the line delivered before the request is stale. The result says
// whether the request went out whole; one that did not shows up as a
// missing reply as well.
bool CControllerLink::SendRequest(std::size_t size)
{
    SettleLine();
    m_port.Purge();
    const bool sent = m_port.Write(std::span(m_frame).first(size));
    if (ILinkObserver* observer = m_observer.load(std::memory_order_acquire))
        observer->RequestSent(std::span(m_frame).first(size));
    // The request's own time on the line, taken as the read rule takes a
    // reply's: a millisecond a byte.
    m_requestSent = Clock::now() + std::chrono::milliseconds(size);
    return sent;
}

void CControllerLink::ReportReply(ILinkObserver& observer, bool received, std::size_t dataSize) const
{
    const auto frame = std::span<const std::uint8_t>(m_frame);
    if (received) {
        observer.ReplyReceived(frame.first(LinkFrame::REPLY_HEADER_SIZE + dataSize + LinkFrame::CRC_SIZE));
        return;
    }
    std::size_t known = 0;
    if (m_failure == LinkFailure::ShortReply || m_failure == LinkFailure::TooLong)
        known = LinkFrame::REPLY_HEADER_SIZE;
    else if (m_failure == LinkFailure::BadCrc)
        known = LinkFrame::REPLY_HEADER_SIZE + m_frame[LinkFrame::BYTE_COUNT_OFFSET] + LinkFrame::CRC_SIZE;
    else if (m_failure == LinkFailure::Exception)
        known = LinkFrame::REPLY_HEADER_SIZE + (m_replyEnded ? LinkFrame::CRC_SIZE : 0);
    observer.ReplyFailed(m_failure, frame.first(known), m_port.TimeoutMs());
}

// A silent line and a hung-up one both fail the read; only the port tells
// them apart. On Windows a removed device may only show when asked.
void CControllerLink::ClassifyFailure()
{
    if (!m_port.IsOpen())
        m_failure = LinkFailure::PortClosed;
    else if (m_port.HungUp() || m_port.CheckHangUp())
        m_failure = LinkFailure::PortGone;
}

// A reply that came whole, however bad, was the answer: only bytes that
// follow it close behind are left to drain. A reply that did not come in
// time may still come late.
void CControllerLink::NoteFailure()
{
    m_lastFault = LinkFault{m_failure, m_failure == LinkFailure::Exception
                                           ? m_frame[LinkFrame::BYTE_COUNT_OFFSET]
                                           : std::uint8_t{0},
                            m_port.TimeoutMs(), m_portName};
    if (m_failure == LinkFailure::PortGone) {
        Lose();
        return;
    }
    const auto timeout = std::chrono::milliseconds(m_port.TimeoutMs());
    m_lateUntil =
        m_replyEnded ? Clock::now() : m_requestSent + LATE_REPLY_FACTOR * timeout + LATE_MARGIN;
}

// Reads the line a byte at a time, each read with the time-out that is left
// until the line counts as quiet, and throws the bytes away.
void CControllerLink::SettleLine()
{
    if (!m_lateUntil)
        return;
    const Clock::time_point lateUntil = *m_lateUntil;
    m_lateUntil.reset();
    if (!m_port.IsOpen())
        return;
    const std::uint32_t timeoutMs = m_port.TimeoutMs();
    const Clock::time_point limit = lateUntil + DRAIN_LIMIT;
    std::array<std::uint8_t, 1> discarded{};
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (now >= limit)
            break;
        const auto wait = std::max<Clock::duration>(lateUntil - now, QUIET);
        m_port.SetTimeouts(static_cast<std::uint32_t>(
            std::chrono::ceil<std::chrono::milliseconds>(std::min<Clock::duration>(wait, limit - now))
                .count()));
        if (!m_port.Read(discarded))
            break;
    }
    m_port.SetTimeouts(timeoutMs);
}

// Reads the 3-byte header, learns N, then reads exactly N data bytes and the
// CRC. N beyond the frame buffer fails before anything more is read.
bool CControllerLink::ReceiveReply(std::size_t& dataSize)
{
    const auto frame = std::span(m_frame);
    m_failure = LinkFailure::NoReply;
    m_replyEnded = false;
    if (!m_port.Read(frame.first(LinkFrame::REPLY_HEADER_SIZE)))
        return false;
    // An exception reply is five bytes, its third the exception code: the
    // request failed, and waiting for the bytes a count would announce
    // would only cost the time-out. Nothing more is owed after it.
    if ((m_frame[LinkFrame::FUNCTION_OFFSET] & EXCEPTION_FLAG) != 0) {
        m_failure = LinkFailure::Exception;
        m_replyEnded = m_port.Read(frame.subspan(LinkFrame::REPLY_HEADER_SIZE, LinkFrame::CRC_SIZE));
        return false;
    }
    const std::size_t announced = m_frame[LinkFrame::BYTE_COUNT_OFFSET];
    m_failure = LinkFailure::TooLong;
    if (announced > LinkFrame::MAX_REPLY_DATA) {
        m_replyEnded = true; // what follows goes while the line settles
        return false;
    }
    const std::size_t replySize = LinkFrame::REPLY_HEADER_SIZE + announced + LinkFrame::CRC_SIZE;
    m_failure = LinkFailure::ShortReply;
    if (!m_port.Read(frame.subspan(LinkFrame::REPLY_HEADER_SIZE, announced + LinkFrame::CRC_SIZE)))
        return false;
    m_failure = LinkFailure::BadCrc;
    m_replyEnded = true;
    if (Crc16(frame.first(replySize)) != 0)
        return false;
    dataSize = announced;
    return true;
}
