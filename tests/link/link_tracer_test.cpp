// Tests of the trace lines: each request and failure decoded as a person reads it.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "link/link_tracer.h"
#include "tests/support/link_reply.h"
#include "tests/support/peer_line.h"

namespace {

struct RequestRow {
    const char* name;
    Bytes frame;
    std::string expected;
};

TEST(LinkTracer, DecodesRequestsAsAPersonReadsThem)
{
    const RequestRow rows[] = {
        {"read of five frames of subprogram 3",
         {0x01, 0x14, 0x07, 0x06, 0x02, 0x04, 0x00, 0x05, 0x00, 0x05, 0x00, 0x00},
         "чтение: подпрограмма 3, номер записи 5, длина 5"},
        {"read descriptor", {0x01, 0x14, 0x07, 0x06, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0xA8, 0xE4},
         "чтение: системные параметры, номер записи 1, длина 0"},
        {"size of subprogram 50", {0x01, 0x14, 0x07, 0x06, 0x31, 0x04, 0x00, 0x00, 0x02, 0x58, 0x0C, 0x5F},
         "чтение: подпрограмма 50, номер записи 0, длина 600"},
        {"delete program 1", {0x01, 0x15, 0x07, 0x06, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xB4},
         "запись: программа 1, номер записи 0, длина 0"},
        {"write of 200 parameter bytes at 400",
         {0x01, 0x15, 0xCF, 0x06, 0x00, 0x01, 0x01, 0x90, 0x00, 0xC8, 0x00, 0x00},
         "запись: общие параметры, номер записи 400, длина 200"},
        {"read of the axis parameters",
         {0x01, 0x14, 0x07, 0x06, 0x00, 0x02, 0x00, 0x00, 0x00, 0x78, 0x00, 0x00},
         "чтение: параметры осей, номер записи 0, длина 120"},
        {"a file of no known kind", {0x01, 0x14, 0x07, 0x06, 0x00, 0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00},
         "чтение: файл 0x0005, номер записи 0, длина 1"},
        {"general parameters with a number", {0x01, 0x14, 0x07, 0x06, 0x01, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00},
         "чтение: файл 0x0101, номер записи 0, длина 1"},
        {"another function", {0x01, 0x03, 0x07, 0x06, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00},
         "функция 3"},
        {"cut short", {0x01, 0x14, 0x07}, "запрос короче заголовка"},
    };
    for (const RequestRow& row : rows)
        EXPECT_EQ(CLinkTracer::DecodeRequest(row.frame), row.expected) << row.name << ": " << Hex(row.frame);
}

struct FailureRow {
    const char* name;
    LinkFailure failure;
    Bytes received;
    std::uint32_t timeoutMs;
    std::string expected;
};

TEST(LinkTracer, DecodesEachFailure)
{
    const FailureRow rows[] = {
        {"silence after a write", LinkFailure::NoReply, {}, 4000, "нет ответа за 4000 мс"},
        {"silence after a port pick", LinkFailure::NoReply, {}, 50, "нет ответа за 50 мс"},
        {"reply cut off", LinkFailure::ShortReply, {0x01, 0x14, 0x10}, 50,
         "ответ оборвался: нет продолжения за 50 мс"},
        {"count above 253", LinkFailure::TooLong, {0x01, 0x14, 0xFE}, 50, "ответ объявляет 254 байт, больше 253"},
        {"bad CRC", LinkFailure::BadCrc, {0x01, 0x14, 0x00, 0x00, 0x00}, 50, "ошибка CRC"},
        {"exception 2", LinkFailure::Exception, {0x01, 0x94, 0x02}, 50, "отказ контроллера, код исключения 2"},
        {"device gone", LinkFailure::PortGone, {}, 50, "порт оборвался: устройство пропало, порт закрыт"},
    };
    for (const FailureRow& row : rows)
        EXPECT_EQ(CLinkTracer::DecodeFailure(row.failure, row.received, row.timeoutMs), row.expected) << row.name;
}

TEST(LinkTracer, EachLineHasTimeDirectionBytesAndMeaning)
{
    std::vector<std::string> lines;
    CLinkTracer tracer([&](const std::string& line) { lines.push_back(line); });
    const Bytes request{0x01, 0x14, 0x07, 0x06, 0x02, 0x03, 0x00, 0x05, 0x00, 0x05, 0xAB, 0xCD};
    tracer.RequestSent(request);
    tracer.ReplyReceived(MakeReply(Bytes(160, 0x5A)));
    tracer.ReplyFailed(LinkFailure::NoReply, {}, 4000);
    const Bytes write{0x01, 0x15, 0x09, 0x06, 0x00, 0x03, 0x00, 0x05, 0x00, 0x02, 0x11, 0x22, 0xAB, 0xCD};
    tracer.RequestSent(write);
    tracer.ReplyReceived(write);

    ASSERT_EQ(lines.size(), 5u);
    const std::regex time(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{6} )");
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_search(line, time)) << line;
    const std::size_t stamp = std::string("2026-12-08T07:52:01.123456 ").size();
    EXPECT_EQ(lines[0].substr(stamp), "→ 01 14 07 06 02 03 00 05 00 05 AB CD | чтение: программа 3, номер записи 5, длина 5");
    EXPECT_EQ(lines[1].substr(stamp, std::string("← 01 14 A0 5A 5A").size()), "← 01 14 A0 5A 5A");
    EXPECT_EQ(lines[1].substr(lines[1].find(" | ")), " | чтение: программа 3, номер записи 5, длина 5 → 160 байт");
    EXPECT_EQ(lines[2].substr(stamp), "← | нет ответа за 4000 мс");
    // A write's reply repeats the request; it is told as taken, not by size.
    EXPECT_EQ(lines[4].substr(lines[4].find(" | ")), " | запись: программа 1, номер записи 5, длина 2 → принято");
}

} // namespace
