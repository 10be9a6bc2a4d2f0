// CLinkTracer: each frame as a timestamped hex line with its decoded meaning.
#include "link/link_tracer.h"

#include <cstdio>
#include <utility>

#include "codec/byte_order.h"
#include "codec/hex_text.h"
#include "platform/clock_text.h"
#include "link/link_frame.h"

namespace {

constexpr std::size_t DECODED_TEXT_SIZE = 96;
constexpr const char* SENT = "→";
constexpr const char* RECEIVED = "←";

} // namespace

CLinkTracer::CLinkTracer(Sink sink) : m_sink(std::move(sink)) {}

std::string CLinkTracer::DecodeRequest(std::span<const std::uint8_t> request)
{
    if (request.size() < LinkFrame::READ_REQUEST_SIZE)
        return "запрос короче заголовка";
    const std::uint8_t function = request[LinkFrame::FUNCTION_OFFSET];
    const char* what = function == LinkFrame::READ_FILE_RECORD    ? "чтение"
                       : function == LinkFrame::WRITE_FILE_RECORD ? "запись"
                                                                  : nullptr;
    if (what == nullptr)
        return "функция " + std::to_string(function);
    char text[DECODED_TEXT_SIZE];
    std::snprintf(text, sizeof text, "%s файл 0x%04X запись %u длина %u", what,
                  unsigned{LoadBe16(&request[LinkFrame::FILE_OFFSET])},
                  unsigned{LoadBe16(&request[LinkFrame::RECORD_OFFSET])},
                  unsigned{LoadBe16(&request[LinkFrame::LENGTH_OFFSET])});
    return text;
}

std::string CLinkTracer::DecodeFailure(LinkFailure failure, std::span<const std::uint8_t> received,
                                       std::uint32_t timeoutMs)
{
    switch (failure) {
    case LinkFailure::NoReply:
        return "нет ответа за " + std::to_string(timeoutMs) + " мс";
    case LinkFailure::ShortReply:
        return "ответ оборвался: нет продолжения за " + std::to_string(timeoutMs) + " мс";
    case LinkFailure::TooLong: {
        const std::size_t announced =
            received.size() > LinkFrame::BYTE_COUNT_OFFSET ? received[LinkFrame::BYTE_COUNT_OFFSET] : 0;
        return "ответ объявляет " + std::to_string(announced) + " байт, больше " +
               std::to_string(LinkFrame::MAX_REPLY_DATA);
    }
    case LinkFailure::Exception: {
        const std::size_t code =
            received.size() > LinkFrame::BYTE_COUNT_OFFSET ? received[LinkFrame::BYTE_COUNT_OFFSET] : 0;
        return "отказ контроллера, код исключения " + std::to_string(code);
    }
    case LinkFailure::BadCrc:
        break;
    }
    return "ошибка CRC";
}

void CLinkTracer::RequestSent(std::span<const std::uint8_t> request)
{
    m_request = DecodeRequest(request);
    Emit(SENT, request, m_request);
}

void CLinkTracer::ReplyReceived(std::span<const std::uint8_t> reply)
{
    const std::size_t data =
        reply.size() > LinkFrame::BYTE_COUNT_OFFSET ? reply[LinkFrame::BYTE_COUNT_OFFSET] : 0;
    Emit(RECEIVED, reply, m_request + " → " + std::to_string(data) + " байт");
}

void CLinkTracer::ReplyFailed(LinkFailure failure, std::span<const std::uint8_t> received,
                              std::uint32_t timeoutMs)
{
    Emit(RECEIVED, received, DecodeFailure(failure, received, timeoutMs));
}

void CLinkTracer::Emit(const char* direction, std::span<const std::uint8_t> bytes, const std::string& text)
{
    std::string line = LocalTimestamp() + ' ' + direction;
    if (!bytes.empty())
        line += ' ' + HexBytes(bytes);
    m_sink(line + " | " + text);
}
