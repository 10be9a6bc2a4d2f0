// CLinkTracer: the link's frames as lines for a person commissioning a cable.
#pragma once

#include <functional>
#include <string>

#include "link/link_observer.h"

// Turns what the link sends and receives into lines for a person
// commissioning a cable, one per frame or failure:
//
//   2026-12-08T07:52:01.123456 → 01 14 07 06 02 03 00 05 00 05 6C C4 | чтение файл 0x0203 запись 5 длина 5
//   2026-12-08T07:52:01.175210 ← 01 14 A0 … | чтение файл 0x0203 запись 5 длина 5 → 160 байт
//   2026-12-08T07:52:05.180002 ← | нет ответа за 4000 мс
//
// Local time with microseconds; → from the PC, ← to it; the bytes in
// upper-case hex as they crossed the line (on a failure, those known to
// have arrived); after the bar, the frame decoded. Each line goes to the
// sink without its line end, on the link's thread.
class CLinkTracer : public ILinkObserver {
public:
    using Sink = std::function<void(const std::string& line)>;
    explicit CLinkTracer(Sink sink);

    void RequestSent(std::span<const std::uint8_t> request) override;
    void ReplyReceived(std::span<const std::uint8_t> reply) override;
    void ReplyFailed(LinkFailure failure, std::span<const std::uint8_t> received,
                     std::uint32_t timeoutMs) override;

    // "чтение файл 0x0203 запись 5 длина 5" for a read request.
    static std::string DecodeRequest(std::span<const std::uint8_t> request);
    // "нет ответа за 4000 мс", "ошибка CRC", …
    static std::string DecodeFailure(LinkFailure failure, std::span<const std::uint8_t> received,
                                     std::uint32_t timeoutMs);

private:
    void Emit(const char* direction, std::span<const std::uint8_t> bytes, const std::string& text);

    Sink m_sink;
    std::string m_request; // the decoded request the next reply answers
};
