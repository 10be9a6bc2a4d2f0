#include "link/controller_link.h"

#include <algorithm>
#include <utility>

#include "link/crc16.h"

static_assert(LinkFrame::MAX_REPLY_SIZE >= LinkFrame::MAX_REQUEST_SIZE,
              "the frame buffer holds the request before the reply");

CControllerLink::CControllerLink(std::uint16_t baudRate, const char* portName,
                                 std::uint16_t timeoutMs)
    : m_portName(portName != nullptr ? portName : "")
{
    m_port.Open(portName, baudRate, timeoutMs);
}

CControllerLink::CControllerLink(CComPort port) : m_port(std::move(port)) {}

bool CControllerLink::Reopen(const char* portName)
{
    m_port.Close();
    m_portName = portName != nullptr ? portName : "";
    m_port.Open(portName, REOPEN_BAUD_RATE, REOPEN_TIMEOUT_MS);
    return m_port.IsOpen();
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
    const std::size_t size = LinkFrame::BuildReadRequest(
        std::span(m_frame).first<LinkFrame::READ_REQUEST_SIZE>(), unit, file, record, length);
    SendRequest(size);

    std::size_t dataSize = 0;
    const bool replied = ReceiveReply(dataSize);
    ObserveReply(replied, dataSize);
    if (!replied)
        return false;
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
    if (size == 0)
        return false;
    SendRequest(size);
    m_port.SetTimeouts(WRITE_TIMEOUT_MS);

    std::size_t dataSize = 0;
    const bool replied = ReceiveReply(dataSize);
    ObserveReply(replied, dataSize);
    return replied;
}

// Whatever the line delivered before the request is stale. Neither result
// is looked at: a request that did not go out shows up as a missing reply.
bool CControllerLink::SendRequest(std::size_t size)
{
    m_port.Purge();
    const bool sent = m_port.Write(std::span(m_frame).first(size));
    if (ILinkObserver* observer = m_observer.load(std::memory_order_acquire))
        observer->RequestSent(std::span(m_frame).first(size));
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
    observer.ReplyFailed(m_failure, frame.first(known), m_port.TimeoutMs());
}

// Reads the 3-byte header, learns N, then reads exactly N data bytes and the
// CRC. N beyond the frame buffer fails before anything more is read.
bool CControllerLink::ReceiveReply(std::size_t& dataSize)
{
    const auto frame = std::span(m_frame);
    m_failure = LinkFailure::NoReply;
    if (!m_port.Read(frame.first(LinkFrame::REPLY_HEADER_SIZE)))
        return false;
    const std::size_t announced = m_frame[LinkFrame::BYTE_COUNT_OFFSET];
    m_failure = LinkFailure::TooLong;
    if (announced > LinkFrame::MAX_REPLY_DATA)
        return false;
    const std::size_t replySize = LinkFrame::REPLY_HEADER_SIZE + announced + LinkFrame::CRC_SIZE;
    m_failure = LinkFailure::ShortReply;
    if (!m_port.Read(frame.subspan(LinkFrame::REPLY_HEADER_SIZE, announced + LinkFrame::CRC_SIZE)))
        return false;
    m_failure = LinkFailure::BadCrc;
    if (Crc16(frame.first(replySize)) != 0)
        return false;
    dataSize = announced;
    return true;
}
