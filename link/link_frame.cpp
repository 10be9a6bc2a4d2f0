// The link's request frames built, and its reply frames checked, with their CRC.
#include "link/link_frame.h"

#include <algorithm>

#include "codec/byte_order.h"
#include "link/crc16.h"

namespace LinkFrame {

std::size_t AppendCrc(std::span<std::uint8_t> frame, std::size_t size)
{
    // Crc16 returns the CRC byte-swapped; storing its high half first puts
    // the CRC's low byte first on the line.
    StoreBe16(&frame[size], Crc16(frame.first(size)));
    return size + CRC_SIZE;
}

namespace {

void BuildHeader(std::uint8_t* out, std::uint8_t unit, std::uint8_t function,
                 std::uint8_t byteCount, std::uint16_t file, std::uint16_t record,
                 std::uint16_t length)
{
    out[UNIT_OFFSET] = unit;
    out[FUNCTION_OFFSET] = function;
    out[BYTE_COUNT_OFFSET] = byteCount;
    out[REFERENCE_TYPE_OFFSET] = REFERENCE_TYPE;
    StoreBe16(&out[FILE_OFFSET], file);
    StoreBe16(&out[RECORD_OFFSET], record);
    StoreBe16(&out[LENGTH_OFFSET], length);
}

} // namespace

std::size_t BuildReadRequest(std::span<std::uint8_t, READ_REQUEST_SIZE> out, std::uint8_t unit,
                             std::uint16_t file, std::uint16_t record, std::uint16_t length)
{
    BuildHeader(out.data(), unit, READ_FILE_RECORD, SUB_REQUEST_SIZE, file, record, length);
    return AppendCrc(out, REQUEST_HEADER_SIZE);
}

std::size_t BuildWriteRequest(std::span<std::uint8_t> out, std::uint8_t unit, std::uint16_t file,
                              std::uint16_t record, std::span<const std::uint8_t> data)
{
    const std::size_t size = READ_REQUEST_SIZE + data.size();
    if (data.size() > MAX_WRITE_DATA || out.size() < size)
        return 0;
    BuildHeader(out.data(), unit, WRITE_FILE_RECORD,
                static_cast<std::uint8_t>(data.size() + SUB_REQUEST_SIZE), file, record,
                static_cast<std::uint16_t>(data.size()));
    std::copy(data.begin(), data.end(), out.begin() + REQUEST_HEADER_SIZE);
    return AppendCrc(out, REQUEST_HEADER_SIZE + data.size());
}

} // namespace LinkFrame
