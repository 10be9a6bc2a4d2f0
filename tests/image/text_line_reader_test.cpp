// Tests of CTextLineReader: line ends, long lines, line numbers and read chunks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/text_line_reader.h"
#include "image_bytes.h"
#include "scratch_folder.h"

namespace {

using namespace std::string_literals;

// Every line the reader returns, as kept (up to its NUL).
std::vector<std::string> ReadAll(const std::string& contents)
{
    ScratchFolder folder;
    CTextLineReader reader;
    if (!reader.Open(folder.Write("text", contents)))
        return {"<not opened>"};
    std::vector<std::string> lines;
    CTextLineReader::LineBuffer line;
    while (reader.ReadLine(line)) {
        lines.emplace_back(line.data());
        if (reader.LineNumber() != lines.size())
            lines.emplace_back("<line number " + std::to_string(reader.LineNumber()) + ">");
    }
    reader.Close();
    return lines;
}

struct ReaderRow {
    const char* name;
    std::string input;
    std::vector<std::string> expected;
};

TEST(TextLineReader, SplitsLinesAsTheControllerWordsNeed)
{
    const std::string nineteen = "X-2147483.648F65535";
    const ReaderRow rows[] = {
        {"empty file", "", {}},
        {"one line with LF", "G0\n", {"G0"}},
        {"last line without LF", "G0\nX10", {"G0", "X10"}},
        {"CR LF drops the CR", "G0\r\nX10\r\n", {"G0", "X10"}},
        {"lone CR is a character", "G1\rX\n", {"G1\rX"}},
        {"CR at the end of the file is kept", "G1\r", {"G1\r"}},
        {"two CRs before LF keep one", "G1\r\r\n", {"G1\r"}},
        {"empty lines are lines", "\n\nG0\n", {"", "", "G0"}},
        {"nineteen characters whole", nineteen + "\nG1\n", {nineteen, "G1"}},
        {"nineteen characters and CR LF whole", nineteen + "\r\nG1\r\n", {nineteen, "G1"}},
        {"twentieth character cut, next line read", nineteen + "9\nG1\n", {nineteen, "G1"}},
        {"long line cut, rest discarded", nineteen + "ABCDEFGHIJ\r\nG1\n", {nineteen, "G1"}},
        {"long line at the end of the file", nineteen + "ABC", {nineteen}},
        {"NUL kept, ends the text", "G0\0X\nG1\n"s, {"G0", "G1"}},
        {"leading spaces kept by the reader", "   G0\n", {"   G0"}},
    };
    for (const ReaderRow& row : rows) {
        EXPECT_EQ(ReadAll(row.input), row.expected) << row.name << ": " << Escaped(row.input);
    }
}

struct WordRow {
    const char* name;
    std::string line;
    const char* expected; // nullptr: a blank line
};

TEST(TextLineReader, LineTextSkipsLeadingSpacesOnly)
{
    const WordRow rows[] = {
        {"word", "G0", "G0"},
        {"three spaces", "   G0", "G0"},
        {"tab is not skipped", "\tG0", "\tG0"},
        {"empty", "", nullptr},
        {"spaces only", "     ", nullptr},
        {"nineteen spaces", std::string(19, ' '), nullptr},
        {"spaces then NUL", "  \0G0"s, nullptr},
        {"trailing spaces kept", "G0  ", "G0  "},
    };
    for (const WordRow& row : rows) {
        CTextLineReader::LineBuffer line{};
        row.line.copy(line.data(), CTextLineReader::TEXT_LINE_MAX);
        line[std::min(row.line.size(), CTextLineReader::TEXT_LINE_MAX)] = '\0';
        const char* word = CTextLineReader::LineText(line);
        if (row.expected == nullptr)
            EXPECT_EQ(word, nullptr) << row.name << ": \"" << Escaped(row.line) << '"';
        else
            EXPECT_STREQ(word, row.expected) << row.name << ": \"" << Escaped(row.line) << '"';
    }
}

TEST(TextLineReader, LineNumbersAreThePhysicalLines)
{
    ScratchFolder folder;
    CTextLineReader reader;
    ASSERT_TRUE(reader.Open(folder.Write("t", "G0\n\nX123456789012345678901234\n  \nG1")));
    CTextLineReader::LineBuffer line;
    std::vector<std::uint32_t> numbers;
    while (reader.ReadLine(line))
        numbers.push_back(reader.LineNumber());
    EXPECT_EQ(numbers, (std::vector<std::uint32_t>{1, 2, 3, 4, 5}));
}

TEST(TextLineReader, LinesAcrossReadChunks)
{
    // Lines that straddle the reader's chunk boundaries come out whole.
    std::string text;
    std::vector<std::string> expected;
    for (int i = 0; i < 3000; ++i) {
        expected.push_back("X" + std::to_string(i * 7));
        text += expected.back() + (i % 2 == 0 ? "\r\n" : "\n");
    }
    EXPECT_EQ(ReadAll(text), expected);
}

TEST(TextLineReader, MissingFileSaysWhich)
{
    ScratchFolder folder;
    CTextLineReader reader;
    const std::string path = folder.PathOf("absent.prgVem730");
    EXPECT_FALSE(reader.Open(path));
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(reader.LastError().cause, FileErrorCause::NotFound);
    EXPECT_EQ(reader.LastError().path, path);
}

} // namespace
