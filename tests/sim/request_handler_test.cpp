// Tests of the simulator's request handler: answers, writes, framing and its checks.
#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "link/link_frame.h"
#include "sim/request_handler.h"
#include "sim/sample_programs.h"
#include "sim/sim_options.h"
#include "tests/sim/frame_bytes.h"
#include "tests/support/link_reply.h"

namespace {

Bytes Read(std::uint16_t file, std::uint16_t record, std::uint16_t length, std::uint8_t unit = 1)
{
    std::array<std::uint8_t, LinkFrame::READ_REQUEST_SIZE> out{};
    LinkFrame::BuildReadRequest(out, unit, file, record, length);
    return {out.begin(), out.end()};
}

Bytes Write(std::uint16_t file, std::uint16_t record, const Bytes& data)
{
    Bytes out(LinkFrame::MAX_REQUEST_SIZE);
    out.resize(LinkFrame::BuildWriteRequest(out, 1, file, record, data));
    return out;
}

Bytes Reply(std::uint8_t function, const Bytes& data)
{
    return MakeReply(data, function);
}

Bytes Exception(std::uint8_t function)
{
    return MakeExceptionReply(function, RequestHandler::ILLEGAL_DATA_ADDRESS);
}

Bytes Slice(std::span<const std::uint8_t> from, std::size_t offset, std::size_t size)
{
    Bytes out(size, 0);
    for (std::size_t i = 0; i < size && offset + i < from.size(); ++i)
        out[i] = from[offset + i];
    return out;
}

Bytes Frames(const std::vector<ProgramFrame>& frames, std::size_t first, std::size_t count)
{
    Bytes out;
    for (std::size_t i = first; i < first + count; ++i) {
        Bytes slot(32, 0xFF);
        if (i < frames.size())
            std::copy(frames[i].bytes.begin(), frames[i].bytes.end(), slot.begin());
        else
            std::fill(slot.begin() + 11, slot.begin() + 15, 0); // an empty frame's coordinate
        out.insert(out.end(), slot.begin(), slot.end());
    }
    return out;
}

// A model with known contents: general byte i = i mod 256 (G = 450), axis a
// byte i = a + 1 (A = 120, n = 4), the sample programs.
CControllerModel KnownModel()
{
    CControllerModel model(DefaultDescriptor());
    Bytes general(450);
    std::iota(general.begin(), general.end(), std::uint8_t{0});
    model.SetGeneralParams(general);
    Bytes axes;
    for (std::uint8_t a = 0; a < 4; ++a)
        axes.insert(axes.end(), 120, static_cast<std::uint8_t>(a + 1));
    model.SetAxisParams(axes);
    SeedSamplePrograms(model);
    return model;
}

struct Case {
    std::string name;
    Bytes request;
    RequestKind kind;
    Bytes expected;
    std::optional<ChangedUnit> changed;
};

TEST(RequestHandler, AnswersEveryRequestOfTheTable)
{
    const CControllerModel known = KnownModel();
    const auto general = known.GeneralParams();
    const auto p2 = SampleProgram2();
    const Bytes threeFrames = Frames(SampleSubprogram1(), 0, 3);
    const Bytes fiveFrames(5 * 32, 0x11);
    const Bytes axisBlock(120, 0x77);
    const ProgramId p1{LinkFile::Program, 1};
    const ProgramId s1{LinkFile::Subprogram, 1};
    const Bytes deleteP1{0x01, 0x15, 0x07, 0x06, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xB4};

    const std::vector<Case> cases{
        {"read descriptor", {0x01, 0x14, 0x07, 0x06, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0xA8, 0xE4},
         RequestKind::Descriptor,
         Reply(20, {0xC2, 0x01, 0x78, 0x00, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0}), {}},
        {"descriptor at record 0", Read(0, 0, 0), RequestKind::Descriptor, Exception(20), {}},
        {"read general parameters at offset 200",
         {0x01, 0x14, 0x07, 0x06, 0x00, 0x01, 0x00, 0xC8, 0x00, 0xC8, 0x44, 0x8C}, RequestKind::Params,
         Reply(20, Slice(general, 200, 200)), {}},
        {"general piece across the end reads 0 past it", Read(1, 400, 200), RequestKind::Params,
         Reply(20, Slice(general, 400, 200)), {}},
        {"general piece at the end itself", Read(1, 450, 200), RequestKind::Params,
         Reply(20, Bytes(200, 0)), {}},
        {"general piece past the end", Read(1, 451, 200), RequestKind::Params, Exception(20), {}},
        {"general piece longer than a reply", Read(1, 0, 254), RequestKind::Params, Exception(20), {}},
        {"write the general remainder", Write(1, 400, Bytes(50, 0x99)), RequestKind::Params,
         Write(1, 400, Bytes(50, 0x99)), ChangedUnit{StoreUnit::GeneralParams, {}}},
        {"general write past the end", Write(1, 400, Bytes(51, 0x99)), RequestKind::Params,
         Exception(21), {}},
        {"read axis 3", Read(2, 3, 120), RequestKind::Params, Reply(20, Bytes(120, 4)), {}},
        {"read axis 4 of 4", Read(2, 4, 120), RequestKind::Params, Exception(20), {}},
        {"read an axis with the wrong length", Read(2, 0, 119), RequestKind::Params, Exception(20), {}},
        {"write axis 2", Write(2, 2, axisBlock), RequestKind::Params, Write(2, 2, axisBlock),
         ChangedUnit{StoreUnit::AxisParams, {}}},
        {"axis write one byte short", Write(2, 0, Bytes(119)), RequestKind::Params, Exception(21), {}},
        {"read size of program 1",
         {0x01, 0x14, 0x07, 0x06, 0x00, 0x03, 0x00, 0x00, 0x02, 0x58, 0xBD, 0xBE},
         RequestKind::SizeQuery, Reply(20, {0x17, 0x00, 0x00, 0x00}), {}},
        {"read size of subprogram 50 (empty)",
         {0x01, 0x14, 0x07, 0x06, 0x31, 0x04, 0x00, 0x00, 0x02, 0x58, 0x0C, 0x5F},
         RequestKind::SizeQuery, Reply(20, {0, 0, 0, 0}), {}},
        {"size of program 21", Read(0x1403, 0, 600), RequestKind::SizeQuery, Exception(20), {}},
        {"block read of program 2 at 10, past its end", Read(0x0103, 10, 5), RequestKind::BlockRead,
         Reply(20, Frames(p2, 10, 5)), {}},
        {"block read at the area end", Read(0x0103, 500, 5), RequestKind::BlockRead, Exception(20), {}},
        {"block read of subprogram at 100", Read(0x0004, 100, 5), RequestKind::BlockRead,
         Exception(20), {}},
        {"block read longer than a reply", Read(0x0003, 0, 8), RequestKind::BlockRead, Exception(20), {}},
        {"delete program 1", deleteP1, RequestKind::Delete, deleteP1, ChangedUnit{StoreUnit::Program, p1}},
        {"write 3 frames at record 0", Write(0x0004, 0, threeFrames), RequestKind::BlockWrite,
         Write(0x0004, 0, threeFrames), ChangedUnit{StoreUnit::Program, s1}},
        {"write the last block of the area", Write(0x0003, 495, fiveFrames), RequestKind::BlockWrite,
         Write(0x0003, 495, fiveFrames), ChangedUnit{StoreUnit::Program, p1}},
        {"block write past the program area", Write(0x0003, 496, fiveFrames), RequestKind::BlockWrite,
         Exception(21), {}},
        {"block write past the subprogram area", Write(0x0004, 96, fiveFrames), RequestKind::BlockWrite,
         Exception(21), {}},
        {"write of part of a frame", Write(0x0003, 0, Bytes(31)), RequestKind::BlockWrite,
         Exception(21), {}},
        {"write to the descriptor", Write(0, 1, Bytes(16)), RequestKind::Other, Exception(21), {}},
        {"parameters with a number byte", Read(0x0101, 0, 200), RequestKind::Other, Exception(20), {}},
        {"unknown file kind", Read(0x0005, 0, 5), RequestKind::Other, Exception(20), {}},
    };
    for (const Case& c : cases) {
        CControllerModel model = KnownModel();
        ASSERT_FALSE(RequestHandler::CheckRequest(c.request)) << c.name;
        const Answer a = RequestHandler::Handle(model, c.request, true);
        EXPECT_EQ(a.kind, c.kind) << c.name << ": " << Hex(c.request);
        EXPECT_EQ(Hex(a.reply), Hex(c.expected))
            << c.name << ": " << Hex(c.request);
        EXPECT_EQ(a.changed, c.changed) << c.name;
    }
}

TEST(RequestHandler, WritesChangeTheModel)
{
    CControllerModel model = KnownModel();
    const ProgramId p1{LinkFile::Program, 1};
    RequestHandler::Handle(model, Write(1, 400, Bytes(50, 0x99)), true);
    EXPECT_EQ(model.GeneralParams()[399], 399 & 0xFF);
    EXPECT_EQ(model.GeneralParams()[400], 0x99);
    EXPECT_EQ(model.GeneralParams()[449], 0x99);

    RequestHandler::Handle(model, Write(2, 2, Bytes(120, 0x77)), true);
    EXPECT_EQ(model.AxisBlock(1)[0], 2);
    EXPECT_EQ(model.AxisBlock(2)[119], 0x77);
    EXPECT_EQ(model.AxisBlock(3)[0], 4);

    RequestHandler::Handle(model, Write(0x0003, 0, {}), true);
    EXPECT_EQ(model.ProgramSize(p1), 0);

    const auto words = ChainFrames({MakeWord(14, 90), MakeWord(24, 1), MakeWord(21, 30)});
    RequestHandler::Handle(model, Write(0x0003, 0, Frames(words, 0, 3)), true);
    EXPECT_EQ(model.ProgramFrames(p1), words);
}

TEST(RequestHandler, EmptyWriteReplyCarriesNoData)
{
    CControllerModel model = KnownModel();
    const Answer a = RequestHandler::Handle(model, Write(2, 0, Bytes(120, 1)), false);
    EXPECT_EQ(Hex(a.reply), Hex(MakeReply({}, 0x15)));
    EXPECT_TRUE(a.changed);
}

TEST(RequestHandler, FramesRequestsByTheirHeader)
{
    struct FrameCase {
        std::string name;
        std::array<std::uint8_t, 3> header;
        std::size_t size;
        std::optional<NoReplyReason> refused;
    };
    const std::vector<FrameCase> cases{
        {"read", {0x01, 0x14, 0x07}, 12, {}},
        {"read from another unit", {0x07, 0x14, 0x07}, 12, {}},
        {"read with byte count 8", {0x01, 0x14, 0x08}, 0, NoReplyReason::BadByteCount},
        {"delete", {0x01, 0x15, 0x07}, 12, {}},
        {"write of 243 bytes", {0x01, 0x15, 250}, 255, {}},
        {"write longer than a frame", {0x01, 0x15, 251}, 0, NoReplyReason::BadByteCount},
        {"write with byte count 6", {0x01, 0x15, 0x06}, 0, NoReplyReason::BadByteCount},
        {"read holding registers", {0x01, 0x03, 0x07}, 0, NoReplyReason::UnknownFunction},
        {"exception code as function", {0x01, 0x94, 0x07}, 0, NoReplyReason::UnknownFunction},
    };
    for (const FrameCase& c : cases) {
        const auto f = RequestHandler::FrameSize(c.header);
        EXPECT_EQ(f.refused, c.refused) << c.name << ": " << Hex(c.header);
        if (!c.refused) {
            EXPECT_EQ(f.size, c.size) << c.name << ": " << Hex(c.header);
        }
    }
}

TEST(RequestHandler, ChecksCrcUnitReferenceTypeAndLength)
{
    Bytes badCrc = Read(0, 1, 0);
    badCrc.back() ^= 0x01;
    Bytes badRef = Read(0, 1, 0);
    badRef[3] = 7;
    badRef.resize(10);
    badRef = WithCrc(badRef);
    Bytes badLength = Write(1, 0, Bytes(10));
    badLength[9] = 11; // record length 11 with 10 data bytes
    badLength.resize(badLength.size() - 2);
    badLength = WithCrc(badLength);

    struct CheckCase {
        std::string name;
        Bytes request;
        std::optional<NoReplyReason> expected;
    };
    const std::vector<CheckCase> cases{
        {"good read", Read(0, 1, 0), {}},
        {"good write", Write(1, 0, Bytes(10)), {}},
        {"bad CRC", badCrc, NoReplyReason::BadCrc},
        {"unit 2", Read(0, 1, 0, 2), NoReplyReason::OtherUnit},
        {"broadcast", Read(0, 1, 0, 0), NoReplyReason::OtherUnit},
        {"reference type 7", badRef, NoReplyReason::BadReferenceType},
        {"length not the byte count's", badLength, NoReplyReason::BadLength},
    };
    for (const CheckCase& c : cases)
        EXPECT_EQ(RequestHandler::CheckRequest(c.request), c.expected)
            << c.name << ": " << Hex(c.request);
}

} // namespace
