// Frames of the controller link: read and write file record requests and replies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Frames of the controller link: Modbus RTU, functions 20 (read file record)
// and 21 (write file record), one sub-request of reference type 6 each.
//
// Request (header fields high byte first, CRC low byte first):
//   offset  size  content
//   0       1     unit address
//   1       1     function code, 20 or 21
//   2       1     byte count: 7 for a read, L + 7 for a write of L bytes
//   3       1     reference type, 6
//   4       2     file number
//   6       2     record number
//   8       2     record length (a write: L, counted in bytes)
//   10      L     data (writes only)
//   10 + L  2     CRC
//
// Reply to either function:
//   0       1     unit address (not examined)
//   1       1     function code (not examined)
//   2       1     N, the number of data bytes
//   3       N     data
//   3 + N   2     CRC
namespace LinkFrame {

constexpr std::uint8_t UNIT_ADDRESS = 1;
constexpr std::uint8_t READ_FILE_RECORD = 20;
constexpr std::uint8_t WRITE_FILE_RECORD = 21;
constexpr std::uint8_t REFERENCE_TYPE = 6;
constexpr std::uint8_t EXCEPTION_FLAG = 0x80;

constexpr std::size_t UNIT_OFFSET = 0;
constexpr std::size_t FUNCTION_OFFSET = 1;
constexpr std::size_t BYTE_COUNT_OFFSET = 2;
constexpr std::size_t REFERENCE_TYPE_OFFSET = 3;
constexpr std::size_t FILE_OFFSET = 4;
constexpr std::size_t RECORD_OFFSET = 6;
constexpr std::size_t LENGTH_OFFSET = 8;
constexpr std::size_t REQUEST_HEADER_SIZE = 10;
constexpr std::size_t CRC_SIZE = 2;
constexpr std::size_t READ_REQUEST_SIZE = REQUEST_HEADER_SIZE + CRC_SIZE;
constexpr std::uint8_t SUB_REQUEST_SIZE = 7;

constexpr std::size_t REPLY_HEADER_SIZE = 3;
constexpr std::size_t REPLY_DATA_OFFSET = REPLY_HEADER_SIZE;

// The frame buffer's fill count is 8 bits wide: no request exceeds 255 bytes,
// so a write carries at most 243 data bytes. A reply carries at most 253.
constexpr std::size_t MAX_REQUEST_SIZE = 255;
constexpr std::size_t MAX_WRITE_DATA = MAX_REQUEST_SIZE - READ_REQUEST_SIZE;
constexpr std::size_t MAX_REPLY_DATA = 253;
constexpr std::size_t MAX_REPLY_SIZE = REPLY_HEADER_SIZE + MAX_REPLY_DATA + CRC_SIZE;

// Appends the CRC of frame[0, size) at frame[size]; returns size + 2.
std::size_t AppendCrc(std::span<std::uint8_t> frame, std::size_t size);

// Builds a read request; returns its size (always READ_REQUEST_SIZE).
std::size_t BuildReadRequest(std::span<std::uint8_t, READ_REQUEST_SIZE> out, std::uint8_t unit,
                             std::uint16_t file, std::uint16_t record, std::uint16_t length);

// Builds a write request of data.size() bytes; returns its size, or 0 (and
// builds nothing) when the data exceed MAX_WRITE_DATA or `out` is too small.
std::size_t BuildWriteRequest(std::span<std::uint8_t> out, std::uint8_t unit, std::uint16_t file,
                              std::uint16_t record, std::span<const std::uint8_t> data);

} // namespace LinkFrame
