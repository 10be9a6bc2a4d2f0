// CLinkTracer: the link's frames as entries and lines for a person commissioning a cable.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/link_observer.h"

// One frame or failure of the line, in the parts a trace shows.
struct TraceEntry {
    std::string time;      // local, with microseconds: "2026-12-08T07:52:01.123456"
    const char* direction; // → from the PC, ← to it
    // As they crossed the line; on a failure, those known to have arrived.
    std::vector<std::uint8_t> bytes;
    std::string meaning;
};

// Turns what the link sends and receives into entries for a person
// commissioning a cable, one per frame or failure, and those into lines:
//
//   2026-12-08T07:52:01.123456 → 01 14 07 06 02 03 00 05 00 05 6C C4 | чтение: программа 3, номер записи 5, длина 5
//   2026-12-08T07:52:01.175210 ← 01 14 A0 … | чтение: программа 3, номер записи 5, длина 5 → 160 байт
//   2026-12-08T07:52:05.180002 ← | нет ответа за 4000 мс
//   2026-12-08T07:52:05.260114 ← 01 15 A7 … | запись: программа 1, номер записи 5, длина 160 → принято
//
// Local time with microseconds; → from the PC, ← to it; the bytes in
// upper-case hex; after the bar, the frame decoded. Each entry or line goes
// to the sink on the link's thread, a line without its line end.
class CLinkTracer : public ILinkObserver {
public:
    using Sink = std::function<void(const std::string& line)>;
    using EntrySink = std::function<void(const TraceEntry& entry)>;
    explicit CLinkTracer(Sink sink);
    explicit CLinkTracer(EntrySink sink);

    void RequestSent(std::span<const std::uint8_t> request) override;
    void ReplyReceived(std::span<const std::uint8_t> reply) override;
    void ReplyFailed(LinkFailure failure, std::span<const std::uint8_t> received,
                     std::uint32_t timeoutMs) override;

    // "чтение: программа 3, номер записи 5, длина 5" for a read request.
    static std::string DecodeRequest(std::span<const std::uint8_t> request);
    // "нет ответа за 4000 мс", "ошибка CRC", …
    static std::string DecodeFailure(LinkFailure failure, std::span<const std::uint8_t> received,
                                     std::uint32_t timeoutMs);
    // The entry as one line of the trace file.
    static std::string FormatLine(const TraceEntry& entry);

private:
    void Emit(const char* direction, std::span<const std::uint8_t> bytes, std::string meaning);

    EntrySink m_sink;
    std::string m_request; // the decoded request the next reply answers
    bool m_writing = false; // and whether it was a write
};
