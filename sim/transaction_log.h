// CTransactionLog: what crossed the simulator's line, one flushed line per event.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// What crossed the line, one line per event, flushed at once so that a test
// or an operator can follow it while the simulator runs:
//
//   2026-12-07T21:00:00.123456 REQ 01 14 07 06 00 00 00 01 00 00 A8 E4
//   2026-12-07T21:00:00.124010 REP 01 14 10 C2 01 ...
//   2026-12-07T21:00:00.300000 NOREPLY bad-crc
//   2026-12-07T21:00:00.320000 DROP 01 02 03
//
// The timestamp is local time with microseconds. REQ is a request as
// framed (also one that gets no reply: then as far as it could be framed),
// REP a reply exactly as it goes out (a fault included), written as it
// starts, NOREPLY the reason a request got no reply (or "not-sent" when the
// client stopped taking the reply), DROP the bytes thrown away to find the
// start of the next request. Bytes are upper-case hex separated by single
// spaces. The file is appended to.
class CTransactionLog {
public:
    // False with `error` set when the file cannot be opened.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return m_file != nullptr; }

    void Request(std::span<const std::uint8_t> bytes) { Bytes("REQ", bytes); }
    void Reply(std::span<const std::uint8_t> bytes) { Bytes("REP", bytes); }
    void Dropped(std::span<const std::uint8_t> bytes) { Bytes("DROP", bytes); }
    void NoReply(std::string_view reason);

    // "01 14 07" for {0x01, 0x14, 0x07}.
    static std::string Hex(std::span<const std::uint8_t> bytes);

private:
    void Bytes(std::string_view tag, std::span<const std::uint8_t> bytes);
    void Line(std::string_view tag, std::string_view text);

    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> m_file;
};
