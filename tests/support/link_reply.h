// Replies as the controller frames them, and the requests a test expects, for link tests.
#pragma once

#include <cstdint>
#include <span>

#include "link/link_frame.h"
#include "tests/support/peer_line.h"

// Replies as the controller frames them: unit, function, N, N data bytes,
// CRC low byte first.
Bytes MakeReply(std::span<const std::uint8_t> data,
                std::uint8_t function = LinkFrame::READ_FILE_RECORD,
                std::uint8_t unit = LinkFrame::UNIT_ADDRESS);

// An exception reply: the function with its top bit set, then the
// exception code, then the CRC; five bytes in all.
Bytes MakeExceptionReply(std::uint8_t function, std::uint8_t code,
                         std::uint8_t unit = LinkFrame::UNIT_ADDRESS);

// The read request the link must send, built independently of its own
// frame builder: header high byte first, CRC from Crc16.
Bytes ExpectedReadRequest(std::uint16_t file, std::uint16_t record, std::uint16_t length);
