// Arbitrary bytes as the controller's reply to ReadRecord and WriteRecord,
// through the link's real receive path over a socket pair. The far end has
// said everything before the transaction starts and then stops sending, so
// every iteration ends at once whatever the bytes are.
//
// Input:
//   byte 0  bit 0: write transaction (else read)
//           bit 1: put the right CRC where the announced count puts it
//   byte 1  read: the caller's room; write: the data length
//   rest    the reply, as the line delivers it
//
// Checked: nothing is written past the caller's room; a failure leaves the
// buffer and the count untouched; success comes exactly for a reply that is
// no exception reply (function without bit 7), with a count of at most 253,
// all its bytes and a good CRC; the data copied are
// the reply's, cut to the room; a write too long for a frame sends nothing.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

#include "link/com_port.h"
#include "link/controller_link.h"
#include "link/crc16.h"
#include "link/link_frame.h"

namespace {

constexpr std::uint8_t WRITE_TRANSACTION = 0x01;
constexpr std::uint8_t FIX_CRC = 0x02;
constexpr std::uint8_t EXCEPTION_FLAG = 0x80;
constexpr std::size_t CONTROL_SIZE = 2;
constexpr std::size_t MAX_REPLY_INPUT = 1024;
constexpr std::size_t GUARD_SIZE = 32;
constexpr std::uint8_t GUARD = 0xA5;
constexpr std::size_t UNTOUCHED_COUNT = 0xDEADBEEF;
constexpr std::uint32_t TIMEOUT_MS = 4000; // never waited for: the far end has stopped

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// A reply the link must take: count in range, every byte there, good CRC.
bool WellFormed(const std::vector<std::uint8_t>& reply)
{
    if (reply.size() < LinkFrame::REPLY_HEADER_SIZE)
        return false;
    if ((reply[LinkFrame::FUNCTION_OFFSET] & EXCEPTION_FLAG) != 0)
        return false;
    const std::size_t count = reply[LinkFrame::BYTE_COUNT_OFFSET];
    const std::size_t size = LinkFrame::REPLY_HEADER_SIZE + count + LinkFrame::CRC_SIZE;
    return count <= LinkFrame::MAX_REPLY_DATA && reply.size() >= size &&
           Crc16(std::span(reply).first(size)) == 0;
}

void FixCrc(std::vector<std::uint8_t>& reply)
{
    if (reply.size() < LinkFrame::REPLY_HEADER_SIZE)
        return;
    const std::size_t at = LinkFrame::REPLY_HEADER_SIZE + reply[LinkFrame::BYTE_COUNT_OFFSET];
    if (reply.size() >= at + LinkFrame::CRC_SIZE)
        LinkFrame::AppendCrc(reply, at);
}

std::vector<std::uint8_t> DrainRequest(int fd)
{
    std::vector<std::uint8_t> request;
    std::uint8_t chunk[LinkFrame::MAX_REQUEST_SIZE + 1];
    for (;;) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n <= 0)
            return request;
        request.insert(request.end(), chunk, chunk + n);
    }
}

void CheckRead(CControllerLink& link, int farEnd, std::size_t room,
               const std::vector<std::uint8_t>& reply)
{
    std::vector<std::uint8_t> buffer(room + GUARD_SIZE, GUARD);
    std::size_t received = UNTOUCHED_COUNT;
    const bool ok = link.ReadRecord(LinkFrame::UNIT_ADDRESS, 0, 1, 0,
                                    std::span(buffer).first(room), &received);

    Require(std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(room), buffer.end(),
                        [](std::uint8_t b) { return b == GUARD; }));
    Require(ok == WellFormed(reply));
    if (ok) {
        const std::size_t count = reply[LinkFrame::BYTE_COUNT_OFFSET];
        Require(received == count);
        const std::size_t copied = std::min(count, room);
        Require(std::equal(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(copied),
                           reply.begin() + LinkFrame::REPLY_DATA_OFFSET));
        Require(std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(copied), buffer.end(),
                            [](std::uint8_t b) { return b == GUARD; }));
    } else {
        Require(received == UNTOUCHED_COUNT);
        Require(std::all_of(buffer.begin(), buffer.end(), [](std::uint8_t b) { return b == GUARD; }));
    }
    Require(DrainRequest(farEnd).size() == LinkFrame::READ_REQUEST_SIZE);
}

void CheckWrite(CControllerLink& link, int farEnd, std::size_t length,
                const std::vector<std::uint8_t>& reply)
{
    std::vector<std::uint8_t> data(length);
    for (std::size_t i = 0; i < length; ++i)
        data[i] = static_cast<std::uint8_t>(i);
    const bool ok = link.WriteRecord(LinkFrame::UNIT_ADDRESS, 1, 0, data);

    const std::vector<std::uint8_t> request = DrainRequest(farEnd);
    if (length > LinkFrame::MAX_WRITE_DATA) {
        Require(!ok);
        Require(request.empty());
        return;
    }
    Require(request.size() == LinkFrame::READ_REQUEST_SIZE + length);
    Require(request.size() <= LinkFrame::MAX_REQUEST_SIZE);
    Require(Crc16(request) == 0);
    Require(ok == WellFormed(reply));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < CONTROL_SIZE)
        return 0;
    const std::uint8_t control = data[0];
    const std::size_t sizeParameter = data[1];
    std::vector<std::uint8_t> reply(data + CONTROL_SIZE,
                                    data + std::min(size, CONTROL_SIZE + MAX_REPLY_INPUT));
    if ((control & FIX_CRC) != 0)
        FixCrc(reply);

    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        std::abort();
    const int farEnd = ends[1];
    Require(::send(farEnd, reply.data(), reply.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(reply.size()));
    Require(::shutdown(farEnd, SHUT_WR) == 0);

    CComPort port;
    Require(port.Attach(ends[0], TIMEOUT_MS));
    CControllerLink link(std::move(port));
    if ((control & WRITE_TRANSACTION) != 0)
        CheckWrite(link, farEnd, sizeParameter, reply);
    else
        CheckRead(link, farEnd, sizeParameter, reply);
    ::close(farEnd);
    return 0;
}
