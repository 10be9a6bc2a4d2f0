// CLinkTracer: each frame as a timestamped entry, its meaning decoded, and as a line.
#include "link/link_tracer.h"

#include <array>
#include <utility>

#include "codec/byte_order.h"
#include "codec/count_text.h"
#include "codec/hex_text.h"
#include "link/controller_info.h"
#include "link/link_messages.h"
#include "platform/clock_text.h"
#include "link/link_frame.h"

namespace {

constexpr const char* SENT = "→";
constexpr const char* RECEIVED = "←";
// A file number: the kind in the low byte, a program's number less one in
// the high byte.
constexpr unsigned FILE_KIND_BITS = 8;
constexpr unsigned FILE_KIND_MASK = (1u << FILE_KIND_BITS) - 1;

// What a file number names, in the words of the commands: "программа 3".
std::string FileName(std::uint16_t file)
{
    const unsigned kind = file & FILE_KIND_MASK;
    const unsigned index = file >> FILE_KIND_BITS;
    const auto single = [&](const char* name) {
        return index == 0 ? std::string(name) : std::string();
    };
    std::string name;
    switch (static_cast<LinkFile>(kind)) {
    case LinkFile::Descriptor:
        name = single(LinkMsg::DESCRIPTOR_FILE);
        break;
    case LinkFile::GeneralParams:
        name = single(LinkMsg::GENERAL_FILE);
        break;
    case LinkFile::AxisParams:
        name = single(LinkMsg::AXIS_FILE);
        break;
    case LinkFile::Program:
        name = LinkMsg::PROGRAM_FILE + std::to_string(index + 1);
        break;
    case LinkFile::Subprogram:
        name = LinkMsg::SUBPROGRAM_FILE + std::to_string(index + 1);
        break;
    }
    if (!name.empty())
        return name;
    std::array<std::uint8_t, sizeof file> number{};
    StoreBe16(number.data(), file);
    return LinkMsg::OTHER_FILE + HexBytes(number, "");
}

} // namespace

CLinkTracer::CLinkTracer(Sink sink)
    : m_sink([sink = std::move(sink)](const TraceEntry& entry) { sink(FormatLine(entry)); })
{
}

CLinkTracer::CLinkTracer(EntrySink sink) : m_sink(std::move(sink)) {}

std::string CLinkTracer::DecodeRequest(std::span<const std::uint8_t> request)
{
    if (request.size() < LinkFrame::READ_REQUEST_SIZE)
        return LinkMsg::REQUEST_TOO_SHORT;
    const std::uint8_t function = request[LinkFrame::FUNCTION_OFFSET];
    const char* what = function == LinkFrame::READ_FILE_RECORD    ? LinkMsg::READING
                       : function == LinkFrame::WRITE_FILE_RECORD ? LinkMsg::WRITING
                                                                  : nullptr;
    if (what == nullptr)
        return LinkMsg::FUNCTION + std::to_string(function);
    return std::string(what) + ": " + FileName(LoadBe16(&request[LinkFrame::FILE_OFFSET])) +
           LinkMsg::RECORD_NUMBER + std::to_string(LoadBe16(&request[LinkFrame::RECORD_OFFSET])) +
           LinkMsg::RECORD_LENGTH + std::to_string(LoadBe16(&request[LinkFrame::LENGTH_OFFSET]));
}

std::string CLinkTracer::DecodeFailure(LinkFailure failure, std::span<const std::uint8_t> received,
                                       std::uint32_t timeoutMs)
{
    // The byte after the function code: the count, or an exception's code.
    const std::size_t third =
        received.size() > LinkFrame::BYTE_COUNT_OFFSET ? received[LinkFrame::BYTE_COUNT_OFFSET] : 0;
    switch (failure) {
    case LinkFailure::NoReply:
        return LinkMsg::NO_REPLY_WITHIN + std::to_string(timeoutMs) + LinkMsg::MILLISECONDS;
    case LinkFailure::ShortReply:
        return LinkMsg::CUT_OFF_WITHIN + std::to_string(timeoutMs) + LinkMsg::MILLISECONDS;
    case LinkFailure::TooLong:
        return LinkMsg::ANNOUNCES + std::to_string(third) + LinkMsg::BYTES_MORE_THAN +
               std::to_string(LinkFrame::MAX_REPLY_DATA);
    case LinkFailure::Exception:
        return LinkMsg::REFUSED_WITH_CODE + std::to_string(third);
    case LinkFailure::ShortData:
        return LinkMsg::SHORT_DATA;
    case LinkFailure::PortGone:
        return LinkMsg::PORT_GONE;
    case LinkFailure::PortClosed:
        return LinkMsg::PORT_CLOSED;
    case LinkFailure::BadCrc:
        break;
    }
    return LinkMsg::BAD_CRC;
}

void CLinkTracer::RequestSent(std::span<const std::uint8_t> request)
{
    m_request = DecodeRequest(request);
    m_writing = request.size() > LinkFrame::FUNCTION_OFFSET &&
                request[LinkFrame::FUNCTION_OFFSET] == LinkFrame::WRITE_FILE_RECORD;
    Emit(SENT, request, m_request);
}

void CLinkTracer::ReplyReceived(std::span<const std::uint8_t> reply)
{
    // A write's reply repeats the request: its byte count says nothing new.
    if (m_writing) {
        Emit(RECEIVED, reply, m_request + " → " + LinkMsg::ACCEPTED);
        return;
    }
    const std::size_t data =
        reply.size() > LinkFrame::BYTE_COUNT_OFFSET ? reply[LinkFrame::BYTE_COUNT_OFFSET] : 0;
    Emit(RECEIVED, reply, m_request + " → " + CountText(data, BYTE_FORMS));
}

void CLinkTracer::ReplyFailed(LinkFailure failure, std::span<const std::uint8_t> received,
                              std::uint32_t timeoutMs)
{
    Emit(RECEIVED, received, DecodeFailure(failure, received, timeoutMs));
}

void CLinkTracer::Emit(const char* direction, std::span<const std::uint8_t> bytes, std::string meaning)
{
    m_sink(TraceEntry{LocalTimestamp(), direction, {bytes.begin(), bytes.end()}, std::move(meaning)});
}

std::string CLinkTracer::FormatLine(const TraceEntry& entry)
{
    std::string line = entry.time + ' ' + entry.direction;
    if (!entry.bytes.empty())
        line += ' ' + HexBytes(entry.bytes);
    return line + " | " + entry.meaning;
}
