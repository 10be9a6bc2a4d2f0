// Tests of program text import and export against image files, byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "image/program_image.h"
#include "image_bytes.h"
#include "scratch_folder.h"

namespace {

using namespace std::string_literals;

constexpr std::size_t PROGRAM_IMAGE_LENGTH = 15984;
constexpr std::size_t SUBPROGRAM_IMAGE_LENGTH = 8000;

struct Imported {
    int checked = -2;
    int result = -2;
    std::vector<std::uint8_t> image;
    bool filesClosed = false;
};

// Runs the write command's conversions on a text, as the command does.
Imported Import(const ScratchFolder& folder, const std::string& text, bool subprogram = false)
{
    const std::string source = folder.Write("prog.prgVem730", text);
    const std::string dest = folder.PathOf("prog.prgVem730.tmp");
    CProgramImage image(3, source, dest, 0, 0);
    if (subprogram)
        image.SelectSubprogram(0);
    else
        image.SelectProgram(0);
    Imported out;
    out.checked = image.CheckText();
    out.result = image.ImportText();
    out.image = ScratchFolder::ReadBytes(dest);
    out.filesClosed = !image.m_imageFile.IsOpen() && !image.m_textIn.IsOpen();
    return out;
}

struct Exported {
    bool result = false;
    std::string text;
    bool imageClosed = false;
};

Exported ExportBytes(const ScratchFolder& folder, const std::string& imageBytes)
{
    const std::string source = folder.Write("read.prgVem730.tmp", imageBytes);
    const std::string dest = folder.PathOf("read.prgVem730");
    CProgramImage image(3, source, dest, 0, 0);
    Exported out;
    out.result = image.ExportText();
    out.text = ScratchFolder::ReadText(dest);
    out.imageClosed = !image.m_imageFile.IsOpen();
    return out;
}

std::string Lines(const std::vector<std::string>& lines, const char* end = "\r\n")
{
    std::string text;
    for (const std::string& line : lines)
        text += line + end;
    return text;
}

std::string AsString(const std::vector<std::uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

TEST(ImportText, ThreeLineExampleByteExact)
{
    ScratchFolder folder;
    const Imported got = Import(folder, "G0\r\nX10\r\nF100\r\n");
    ASSERT_EQ(got.checked, 0);
    ASSERT_EQ(got.result, 3);
    ASSERT_EQ(got.image.size(), PROGRAM_IMAGE_LENGTH);
    // Whole frames: reserved bytes zero, the F frame carries X10's coordinate.
    const char* expected[] = {
        "01 FF 17 01 00 FF FF 00 00 00 00 00 00 00 00 00",
        "00 FF 00 02 00 00 00 00 00 00 00 0A 00 00 00 00",
        "02 FF 31 FF FF 01 00 00 00 64 00 0A 00 00 00 00",
        "FF FF FF FF FF FF FF 00 00 00 00 00 00 00 00 00",
    };
    for (std::size_t slot = 0; slot < 4; ++slot)
        EXPECT_EQ(Hex(FrameAt(got.image, slot)), expected[slot]) << "slot " << slot;
}

struct LengthRow {
    const char* name;
    bool subprogram;
    std::size_t length;
    std::size_t slots;
};

TEST(ImportText, ImageLengthAndSecondHalves)
{
    const LengthRow rows[] = {
        {"program area", false, PROGRAM_IMAGE_LENGTH, PROGRAM_SLOTS},
        {"subprogram area", true, SUBPROGRAM_IMAGE_LENGTH, SUBPROGRAM_SLOTS},
    };
    for (const LengthRow& row : rows) {
        ScratchFolder folder;
        const Imported got = Import(folder, "G0\nX10\n", row.subprogram);
        ASSERT_EQ(got.result, 2) << row.name;
        ASSERT_EQ(got.image.size(), row.length) << row.name;
        // The first 8000 bytes start as 0xFF; slots past them were grown over
        // as zeros and the import wrote only their first halves.
        for (std::size_t offset = 0; offset < got.image.size(); ++offset) {
            const std::size_t slot = offset / SLOT_SIZE;
            if (offset % SLOT_SIZE < FRAME_SIZE && slot < row.slots)
                continue;
            const std::uint8_t expected = offset < 8000 ? 0xFF : 0x00;
            ASSERT_EQ(got.image[offset], expected) << row.name << ", offset " << offset;
        }
    }
}

struct ChainRow {
    const char* name;
    bool subprogram;
    int lines;
};

TEST(ImportText, ChainLayout)
{
    const ChainRow rows[] = {
        {"1 frame", false, 1},
        {"2 frames", false, 2},
        {"3 frames", false, 3},
        {"500 frames fill the program area", false, 500},
        {"100 frames fill the subprogram area", true, 100},
    };
    const std::vector<std::string> words = {"G1",   "X1.500F200", "M6T2",
                                            "F100", "G54",        "Z-3.000F05"};
    for (const ChainRow& row : rows) {
        std::vector<std::string> lines;
        for (int i = 0; i < row.lines; ++i)
            lines.push_back(words[static_cast<std::size_t>(i) % words.size()]);
        ScratchFolder folder;
        const Imported got = Import(folder, Lines(lines), row.subprogram);
        ASSERT_EQ(got.result, row.lines) << row.name;
        const std::size_t n = static_cast<std::size_t>(row.lines);
        const std::size_t areaSlots = row.subprogram ? SUBPROGRAM_SLOTS : PROGRAM_SLOTS;
        for (std::size_t i = 0; i < areaSlots; ++i) {
            const ProgramFrame frame = FrameAt(got.image, i);
            if (i >= n) {
                ASSERT_EQ(Hex(frame), "FF FF FF FF FF FF FF 00 00 00 00 00 00 00 00 00")
                    << row.name << ", slot " << i;
                continue;
            }
            const std::uint8_t kind = i == 0 ? 1 : (i == n - 1 ? 2 : 0);
            const std::uint16_t prev = i == 0 ? 0xFFFF : static_cast<std::uint16_t>(i - 1);
            const std::uint16_t next = i == n - 1 ? 0xFFFF : static_cast<std::uint16_t>(i + 1);
            ASSERT_EQ(frame.kind(), kind) << row.name << ", slot " << i;
            ASSERT_EQ(frame.prev(), prev) << row.name << ", slot " << i;
            ASSERT_EQ(frame.next(), next) << row.name << ", slot " << i;
            ASSERT_EQ(frame.active(), 0xFF) << row.name << ", slot " << i;
        }
    }
}

TEST(ImportText, OneLineTooManyGivesMinusOneAndKeepsTheFrames)
{
    const ChainRow rows[] = {
        {"501st program line", false, 501},
        {"101st subprogram line", true, 101},
    };
    for (const ChainRow& row : rows) {
        std::vector<std::string> lines(static_cast<std::size_t>(row.lines), "G1");
        lines.back() = "G0";
        ScratchFolder folder;
        const Imported got = Import(folder, Lines(lines), row.subprogram);
        EXPECT_EQ(got.checked, 0) << row.name << ": the check counts no lines";
        EXPECT_EQ(got.result, -1) << row.name;
        EXPECT_TRUE(got.filesClosed) << row.name;
        const std::size_t last = static_cast<std::size_t>(row.lines) - 2;
        EXPECT_EQ(FrameAt(got.image, last).kind(), FRAME_LAST) << row.name;
        EXPECT_EQ(FrameAt(got.image, last).code(), 24) << row.name << ": G1, not the refused G0";
        EXPECT_EQ(FrameAt(got.image, 0).next(), 1) << row.name;
    }
}

TEST(ImportText, RejectedLineStopsWithMinusOneAndClosesBothFiles)
{
    ScratchFolder folder;
    const Imported got = Import(folder, "G0\nX10\nK7\nG1\n");
    EXPECT_EQ(got.checked, 3);
    EXPECT_EQ(got.result, -1);
    EXPECT_TRUE(got.filesClosed);
    EXPECT_EQ(FrameAt(got.image, 1).kind(), FRAME_LAST) << "the frames before stay";
    EXPECT_EQ(FrameAt(got.image, 2).kind(), FRAME_FREE);
}

struct CheckRow {
    const char* name;
    std::string text;
    int checked;
    int imported;
};

// Blank lines and over-long lines used to end the text silently, so a program
// went to the machine cut short; now both are read past and line numbers stay
// the file's own.
TEST(ImportText, NoSilentTruncation)
{
    const CheckRow rows[] = {
        {"empty file", "", 0, 0},
        {"blank lines only", "\n\r\n   \n  \r\n", 0, 0},
        {"first line blank", "\nG0\nG1\n", 0, 2},
        {"blank line in the middle", "G0\n\nG1\n   \nX10\n", 0, 3},
        {"line number counts blank lines", "G0\n\n\nK1\n", 4, -1},
        {"long line taken cut, next line read", "X1.00000000000000000000F5\nG1\n", 0, 2},
        {"line number after a long line", "G0\nM6T1234567890123456789012\nK1\n", 3, -1},
        {"leading spaces skipped", "   G0\n  X10\n", 0, 2},
        {"tab is not skipped", "\tG0\n", 1, -1},
        {"NUL ends the word", "G0\0garbage\nG1\n"s, 0, 2},
        {"no LF after the last line", "G0\nG1", 0, 2},
        {"disabled line rejected", "G0\n//G1\n", 2, -1},
    };
    for (const CheckRow& row : rows) {
        ScratchFolder folder;
        const Imported got = Import(folder, row.text);
        const std::string input = Escaped(row.text);
        EXPECT_EQ(got.checked, row.checked) << row.name << ": " << input;
        EXPECT_EQ(got.result, row.imported) << row.name << ": " << input;
        EXPECT_TRUE(got.filesClosed) << row.name << ": " << input;
    }
}

TEST(ImportText, LongLineKeepsItsFirstNineteenCharacters)
{
    ScratchFolder folder;
    // Nineteen characters give X1.000000000000000, whose surplus decimals
    // are cut; the feed beyond them is gone with the rest of the line.
    const Imported cut = Import(folder, "X1.000000000000000F50\nG1\n");
    const Imported whole = Import(folder, "X1.000000000000000\nG1\n");
    ASSERT_EQ(cut.result, 2);
    EXPECT_EQ(Hex(FrameAt(cut.image, 0)), Hex(FrameAt(whole.image, 0)));
    EXPECT_EQ(FrameAt(cut.image, 1).code(), 24);
}

TEST(ImportText, CrLfAndLfGiveTheSameImage)
{
    const std::vector<std::string> lines = {"G90",  "X12.345F100", "G1",  "Y-0.500F05", "M6T3",
                                            "F2000", "G54",         "M30", "G4.5"};
    ScratchFolder folder;
    const Imported crlf = Import(folder, Lines(lines, "\r\n"));
    const Imported lf = Import(folder, Lines(lines, "\n"));
    ASSERT_EQ(crlf.result, static_cast<int>(lines.size()));
    EXPECT_EQ(crlf.image, lf.image);
}

// The frames before the first axis word carry coordinate 0 whatever was
// parsed before the import (the check pass parses the same text first).
TEST(ImportText, StartsFromAFixedNewFrame)
{
    ScratchFolder folder;
    const std::string source = folder.Write("p", "G0\nX5\nG1\nY7\nM3\n");
    const std::string dest = folder.PathOf("p.tmp");
    CProgramImage image(3, source, dest, 0, 0);
    image.SelectProgram(0);
    ASSERT_EQ(image.CheckText(), 0);
    image.m_newFrame.bytes.fill(0xAB);
    image.m_currentFrame.bytes.fill(0xCD);
    ASSERT_EQ(image.ImportText(), 5);
    const auto bytes = ScratchFolder::ReadBytes(dest);
    const char* expected[] = {
        "01 FF 17 01 00 FF FF 00 00 00 00 00 00 00 00 00", // G0: coordinate 0
        "00 FF 00 02 00 00 00 00 00 00 00 05 00 00 00 00", // X5
        "00 FF 18 03 00 01 00 00 00 01 00 05 00 00 00 00", // G1 keeps X5's coordinate
        "00 FF 01 04 00 02 00 00 00 00 00 07 00 00 00 00", // Y7
        "02 FF 15 FF FF 03 00 00 00 03 00 07 00 00 00 00", // M3 keeps Y7's
    };
    for (std::size_t slot = 0; slot < 5; ++slot)
        EXPECT_EQ(Hex(FrameAt(bytes, slot)), expected[slot]) << "slot " << slot;
}

TEST(ImportText, MissingTextGivesZeroAndNamesTheFile)
{
    ScratchFolder folder;
    const std::string source = folder.PathOf("absent.prgVem730");
    const std::string dest = folder.PathOf("absent.prgVem730.tmp");
    CProgramImage image(3, source, dest, 0, 0);
    image.SelectProgram(0);
    EXPECT_EQ(image.CheckText(), -1);
    ASSERT_TRUE(image.FileFailure().has_value());
    EXPECT_EQ(image.FileFailure()->path, source);
    EXPECT_EQ(image.FileFailure()->cause, FileErrorCause::NotFound);

    EXPECT_EQ(image.ImportText(), 0);
    ASSERT_TRUE(image.FileFailure().has_value());
    EXPECT_EQ(image.FileFailure()->path, source);
    EXPECT_FALSE(image.m_imageFile.IsOpen());
    const auto left = ScratchFolder::ReadBytes(dest);
    EXPECT_EQ(left, std::vector<std::uint8_t>(8000, 0xFF)) << "the new image holds its filler";
}

TEST(ImportText, ImageThatCannotBeCreatedGivesZero)
{
    ScratchFolder folder;
    const std::string source = folder.Write("p", "G0\n");
    const std::string dest = folder.PathOf("gone/p.tmp");
    CProgramImage image(3, source, dest, 0, 0);
    image.SelectProgram(0);
    EXPECT_EQ(image.ImportText(), 0);
    ASSERT_TRUE(image.FileFailure().has_value());
    EXPECT_EQ(image.FileFailure()->path, dest);
    EXPECT_EQ(image.FileFailure()->cause, FileErrorCause::NotFound);
}

TEST(ImportText, DiskFullGivesMinusOneNotACount)
{
    ScratchFolder folder;
    const std::string source = folder.Write("p", "G0\nG1\n");
    CProgramImage image(3, source, "/dev/full", 0, 0);
    image.SelectProgram(0);
    if (!FileExists("/dev/full"))
        GTEST_SKIP() << "/dev/full is not available";
    EXPECT_EQ(image.ImportText(), -1);
    ASSERT_TRUE(image.FileFailure().has_value());
    EXPECT_EQ(image.FileFailure()->cause, FileErrorCause::DiskFull);
    EXPECT_EQ(FileErrorMessage(*image.FileFailure()), "Нет места на диске для файла /dev/full.");
    EXPECT_FALSE(image.m_imageFile.IsOpen());
    EXPECT_FALSE(image.m_textIn.IsOpen());
}

TEST(ImportText, SuccessClearsAnEarlierFailure)
{
    ScratchFolder folder;
    const std::string dest = folder.PathOf("p.tmp");
    CProgramImage image(3, folder.PathOf("absent"), dest, 0, 0);
    image.SelectProgram(0);
    ASSERT_EQ(image.CheckText(), -1);
    image.m_sourcePath = folder.Write("p", "G0\n");
    EXPECT_EQ(image.ImportText(), 1);
    EXPECT_FALSE(image.FileFailure().has_value());
}

TEST(ExportText, ControllerImageGivesOneCrLfLinePerFrame)
{
    const std::vector<ProgramFrame> frames = Chain({
        Word(23),               // G0
        Word(0, 100, 12345),    // X12.345F100
        Word(1, 5, -500),       // Y-0.500F05
        Word(16, 3),            // M6T3
        Word(13, 1),            // G54
        Word(49, 12000),        // F9999
        Word(24, 0, 0, 0x00),   // //G1
    });
    ScratchFolder folder;
    const Exported got = ExportBytes(folder, ControllerImage(frames));
    EXPECT_TRUE(got.result);
    EXPECT_TRUE(got.imageClosed);
    EXPECT_EQ(got.text, "G0\r\nX12.345F100\r\nY-0.500F05\r\nM6T3\r\nG54\r\nF9999\r\n//G1\r\n");
}

struct ExportRow {
    const char* name;
    std::string image;
    bool result;
    std::string text;
};

TEST(ExportText, WhereTheLoopEnds)
{
    const std::string three = ControllerImage(Chain({Word(23), Word(24), Word(31)}));
    const std::string threeText = "G0\r\nG1\r\nG17\r\n";
    // A chain that names its end, then frames that still decode.
    std::vector<ProgramFrame> pastEnd = Chain({Word(23), Word(24)});
    pastEnd.push_back(MakeFrame(FRAME_LAST, 33, NO_LINK, 1));
    const std::vector<ProgramFrame> single = {MakeFrame(FRAME_FIRST, 23, NO_LINK, NO_LINK),
                                              MakeFrame(FRAME_MIDDLE, 34, 2, 0)};
    const ExportRow rows[] = {
        {"0-byte image", "", true, ""},
        {"end of the file", three, true, threeText},
        {"last slot cut short", three + std::string(FRAME_SIZE - 1, '\x01'), true, threeText},
        {"frame without its second half", three + three.substr(0, FRAME_SIZE), true,
         threeText + "G0\r\n"},
        {"free slot after the chain", three + ControllerImage({Word(24)}).replace(0, 1, "\xFF"),
         true, threeText},
        {"frames past the chain's end go on", ControllerImage(pastEnd), true,
         "G0\r\nG1\r\nG19\r\n"},
        {"no text after the chain's last frame", three + ControllerImage({Word(34)}), true,
         threeText},
        {"no text after a one-frame chain", ControllerImage(single), true, "G0\r\n"},
        {"free slot inside the chain", std::string(three).replace(SLOT_SIZE, 1, "\xFF"), true,
         "G0\r\n"},
        {"code without text inside the chain",
         ControllerImage(Chain({Word(23), Word(34), Word(31)})), false, "G0\r\n"},
        {"unknown kind inside the chain", std::string(three).replace(SLOT_SIZE, 1, "\x03"), false,
         "G0\r\n"},
        {"chain cut short by the file", three.substr(0, 2 * SLOT_SIZE), true, "G0\r\nG1\r\n"},
    };
    for (const ExportRow& row : rows) {
        ScratchFolder folder;
        const Exported got = ExportBytes(folder, row.image);
        const std::string input =
            Hex(reinterpret_cast<const std::uint8_t*>(row.image.data()), row.image.size());
        EXPECT_EQ(got.result, row.result) << row.name << ": " << input;
        EXPECT_EQ(got.text, row.text) << row.name << ": " << input;
        EXPECT_TRUE(got.imageClosed) << row.name << ": " << input;
    }
}

TEST(ExportText, OnlyTheFirst500FramesAreWritten)
{
    std::vector<ProgramFrame> words(PROGRAM_SLOTS + 3, Word(24));
    ScratchFolder folder;
    const Exported got = ExportBytes(folder, ControllerImage(Chain(words)));
    EXPECT_TRUE(got.result);
    EXPECT_EQ(got.text, Lines(std::vector<std::string>(PROGRAM_SLOTS, "G1")));
}

TEST(ExportText, LongestLineIsWrittenWhole)
{
    ScratchFolder folder;
    const Exported got =
        ExportBytes(folder, ControllerImage(Chain({Word(0, 65535, INT32_MIN, 0x00)})));
    EXPECT_TRUE(got.result);
    EXPECT_EQ(got.text, "//X-2147483.648F65535\r\n");
}

TEST(ExportText, FileFailuresGiveFalseAndNameTheFile)
{
    ScratchFolder folder;
    const std::string image = folder.Write("i.tmp", ControllerImage(Chain({Word(23)})));
    {
        const std::string absent = folder.PathOf("absent.tmp");
        const std::string dest = folder.PathOf("out1");
        CProgramImage program(3, absent, dest, 0, 0);
        EXPECT_FALSE(program.ExportText()) << "missing image";
        ASSERT_TRUE(program.FileFailure().has_value());
        EXPECT_EQ(program.FileFailure()->path, absent);
        EXPECT_FALSE(FileExists(dest)) << "nothing is created for a missing image";
    }
    {
        const std::string dest = folder.PathOf("gone/out2");
        CProgramImage program(3, image, dest, 0, 0);
        EXPECT_FALSE(program.ExportText()) << "text cannot be created";
        ASSERT_TRUE(program.FileFailure().has_value());
        EXPECT_EQ(program.FileFailure()->path, dest);
        EXPECT_FALSE(program.m_imageFile.IsOpen());
    }
    if (FileExists("/dev/full")) {
        CProgramImage program(3, image, "/dev/full", 0, 0);
        EXPECT_FALSE(program.ExportText()) << "disk full";
        ASSERT_TRUE(program.FileFailure().has_value());
        EXPECT_EQ(program.FileFailure()->cause, FileErrorCause::DiskFull);
        EXPECT_FALSE(program.m_imageFile.IsOpen());
    }
}

// Every line form the exporter writes, as it writes it. Coordinates stay
// within what the axis codec reads back (four digits before the point).
const std::vector<std::string> EVERY_LINE_FORM = {
    "X12.345F100",   "Y-0.500F05",    "Z0.000F00",    "U9999.999F65535",   "V-9999.999F9999",
    "W1.000F99",     "P-0.001F1000",  "Q7.250F10",    "R100.000F09",        "A-90.000F15",
    "B360.000F01",   "C0.001F12345",  "D-5.500F00",   "G53",                "G54",
    "G55",           "G56",           "G57",          "G58",                "G59",
    "G90",           "G91",           "M6T0",         "M6T8",               "E1",
    "E65535",        "L1",            "L50",          "H1",                 "H65535",
    "M20",           "M0",            "M6",           "M332",               "G4.0",
    "G4.5",          "G4.65535",      "G0",           "G1",                 "G49",
    "G44",           "G43",           "G42",          "G41",                "G40",
    "G17",           "G18",           "G19",          "F0",                 "F9999",
    "M41",           "M42",           "G11",          "G15",                "G11X",
    "G12Y",          "G13Z",          "G14U",         "G15V",               "G11W",
    "G12P",          "G13Q",          "G14R",         "G15A",               "G11B",
    "G12C",          "G13D",
};

// text -> image -> text -> image: the written text is the text read, and the
// two images are the same bytes.
TEST(RoundTrip, EveryLineFormTheExporterWrites)
{
    const struct {
        const char* name;
        bool subprogram;
        std::vector<std::string> lines;
    } rows[] = {
        {"every form, program area", false, EVERY_LINE_FORM},
        {"one line", false, {"X1.000F10"}},
        {"every form, subprogram area", true,
         std::vector<std::string>(EVERY_LINE_FORM.begin(), EVERY_LINE_FORM.begin() + 60)},
    };
    for (const auto& row : rows) {
        ScratchFolder folder;
        const std::string text = Lines(row.lines);
        const Imported first = Import(folder, text, row.subprogram);
        ASSERT_EQ(first.checked, 0) << row.name;
        ASSERT_EQ(first.result, static_cast<int>(row.lines.size())) << row.name;

        const Exported exported = ExportBytes(folder, AsString(first.image));
        EXPECT_TRUE(exported.result) << row.name;
        EXPECT_EQ(exported.text, text) << row.name;

        const Imported second = Import(folder, exported.text, row.subprogram);
        EXPECT_EQ(second.result, first.result) << row.name;
        EXPECT_EQ(second.image, first.image) << row.name;
    }
}

TEST(RoundTrip, FullProgramAreaExportsEveryFrame)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < PROGRAM_SLOTS; ++i)
        lines.push_back(EVERY_LINE_FORM[i % EVERY_LINE_FORM.size()]);
    ScratchFolder folder;
    const Imported first = Import(folder, Lines(lines, "\n"));
    ASSERT_EQ(first.result, static_cast<int>(PROGRAM_SLOTS));
    const Exported exported = ExportBytes(folder, AsString(first.image));
    EXPECT_TRUE(exported.result);
    EXPECT_EQ(exported.text, Lines(lines));
}

} // namespace

namespace {

// The import notes each line it does not take as written, by its physical
// number, with the line as it was kept and the word that is stored; the
// image is the one it makes without the notes.
TEST(ImportText, CollectsTheLinesNotTakenAsWritten)
{
    ScratchFolder folder;
    const std::string text = "G0\r\n\r\nX1.5F100\r\nM6T9\r\nX1\0F5\r\n    G1 ; rapid\r\n"s
                             "X12.345F100 ; feed slow\r\nG1\r\n";
    const std::string source = folder.Write("prog.prgVem730", text);
    CProgramImage image(3, source, folder.PathOf("notes.tmp"), 0, 0);
    image.SelectProgram(0);
    std::vector<LossyLine> lossy;
    image.CollectLossyLines(&lossy);
    ASSERT_EQ(image.ImportText(), 7);
    EXPECT_EQ(ScratchFolder::ReadBytes(folder.PathOf("notes.tmp")), Import(folder, text).image);

    struct Expected {
        std::uint32_t number;
        std::string typed;
        std::string stored;
        std::uint16_t kinds;
    };
    const auto kinds = [](std::initializer_list<LossyKind> list) {
        std::uint16_t k = 0;
        for (LossyKind kind : list)
            k = static_cast<std::uint16_t>(k | static_cast<std::uint16_t>(kind));
        return k;
    };
    const std::vector<Expected> expected = {
        {4, "M6T9", "M6T8", kinds({LossyKind::ValueLimited})},
        {5, "X1\0F5"s, "X0.001F00", kinds({LossyKind::IntegerThousandths, LossyKind::NulInLine})},
        {6, "G1 ; rapid", "G1", kinds({LossyKind::IgnoredText})},
        {7, "X12.345F100 ; feed ", "X12.345F100",
         kinds({LossyKind::IgnoredText, LossyKind::LineTooLong})},
    };
    ASSERT_EQ(lossy.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("line " + std::to_string(expected[i].number));
        EXPECT_EQ(lossy[i].number, expected[i].number);
        EXPECT_EQ(lossy[i].typed, expected[i].typed);
        EXPECT_EQ(lossy[i].stored, expected[i].stored);
        EXPECT_EQ(lossy[i].reading.kinds, expected[i].kinds);
    }
    EXPECT_EQ(lossy[2].typed.substr(lossy[2].reading.ignoredFrom), "; rapid");
}

} // namespace
