// Replies and expected requests framed byte for byte, with their CRC, for link tests.
#include "tests/support/link_reply.h"

#include "link/crc16.h"

namespace {

void AppendCrc(Bytes& frame)
{
    const std::uint16_t swapped = Crc16(frame);
    // Crc16 hands back the CRC byte-swapped; its high half goes first.
    frame.push_back(static_cast<std::uint8_t>(swapped >> 8));
    frame.push_back(static_cast<std::uint8_t>(swapped & 0xFFu));
}

void AppendBe16(Bytes& frame, std::uint16_t value)
{
    frame.push_back(static_cast<std::uint8_t>(value >> 8));
    frame.push_back(static_cast<std::uint8_t>(value & 0xFFu));
}

} // namespace

Bytes MakeReply(std::span<const std::uint8_t> data, std::uint8_t function, std::uint8_t unit)
{
    Bytes frame;
    frame.reserve(LinkFrame::REPLY_HEADER_SIZE + data.size() + LinkFrame::CRC_SIZE);
    frame.push_back(unit);
    frame.push_back(function);
    frame.push_back(static_cast<std::uint8_t>(data.size()));
    frame.insert(frame.end(), data.begin(), data.end());
    AppendCrc(frame);
    return frame;
}

Bytes MakeExceptionReply(std::uint8_t function, std::uint8_t code, std::uint8_t unit)
{
    Bytes frame{unit, static_cast<std::uint8_t>(function | LinkFrame::EXCEPTION_FLAG), code};
    AppendCrc(frame);
    return frame;
}

Bytes ExpectedReadRequest(std::uint16_t file, std::uint16_t record, std::uint16_t length)
{
    Bytes frame{LinkFrame::UNIT_ADDRESS, LinkFrame::READ_FILE_RECORD, LinkFrame::SUB_REQUEST_SIZE,
                LinkFrame::REFERENCE_TYPE};
    AppendBe16(frame, file);
    AppendBe16(frame, record);
    AppendBe16(frame, length);
    AppendCrc(frame);
    return frame;
}
