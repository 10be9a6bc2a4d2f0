// What Write does with lines it would not store as written, the check after
// a write, and the comparison of the controller with a file.

#include <gtest/gtest.h>

#include <filesystem>

#include "transfer/messages.h"
#include "transfer/rewrite_report.h"
#include "tests/transfer/transfer_harness.h"

namespace {

class WriteSafety : public TransferTest {
protected:
    void SetUp() override { Start(); }

    CommandResult Compare(DataKind kind, const std::string& number, const std::string& file)
    {
        return m_commands->Compare(kind, number, file);
    }

    // The requests after the first `from`, with the data of each write.
    std::vector<LoggedRequest> RequestsSince(std::size_t from) const
    {
        std::vector<LoggedRequest> all = Requests();
        all.erase(all.begin(), all.begin() + static_cast<long>(from));
        return all;
    }

    std::vector<std::string> Asked() const
    {
        std::vector<std::string> asked;
        for (const std::string& e : m_ui.events)
            if (e.rfind("ask ", 0) == 0)
                asked.push_back(e.substr(4));
        return asked;
    }

    std::vector<std::string> Informed() const
    {
        std::vector<std::string> informed;
        for (const std::string& e : m_ui.events)
            if (e.rfind("info ", 0) == 0)
                informed.push_back(e.substr(5));
        return informed;
    }

    static constexpr ProgramId PROGRAM_4{LinkFile::Program, 4};
};

// The rows, typed, and the same program as the export writes it.
const std::vector<std::string> MISTYPED = {"G1 X10", "X 60.000", "M6T12", "M999", "X60", "HELLO"};
const std::vector<std::string> AS_STORED = {"G1", "X0.000F00", "M6T8", "M332", "X0.060F00", "H1"};

TEST_F(WriteSafety, NoSendsNothingAfterTheDescriptor)
{
    const std::string file = PathOf("typed.prgVem730");
    WriteWholeFile(file, CrLfText(MISTYPED));
    ASSERT_TRUE(m_sim->SetProgramFrames(PROGRAM_4, ChainOf(SAMPLE_WORDS)));
    m_ui.answers = {false};

    EXPECT_EQ(Write(DataKind::Program, "4", file), CommandResult::Cancelled);
    EXPECT_EQ(RequestSummaries(), std::vector<std::string>{"R 0 1 0"});
    EXPECT_EQ(Asked(), std::vector<std::string>{Msg::ACCEPT_REWRITES});
    EXPECT_TRUE(m_ui.Warnings().empty());
    EXPECT_EQ(m_sim->ProgramFrames(PROGRAM_4), ChainOf(SAMPLE_WORDS)) << "the program is untouched";
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));

    const std::string& detail = m_ui.details.at(0);
    for (const char* listed : {"строка 1: «G1 X10» → «G1»", "строка 2: «X 60.000» → «X0.000F00»",
                               "строка 3: «M6T12» → «M6T8»", "строка 4: «M999» → «M332»",
                               "строка 5: «X60» → «X0.060F00»", "строка 6: «HELLO» → «H1»"})
        EXPECT_NE(detail.find(listed), std::string::npos) << listed << "\n" << detail;
}

TEST_F(WriteSafety, YesWritesWhatTheExportedTextWouldWrite)
{
    const std::string typed = PathOf("typed.prgVem730");
    WriteWholeFile(typed, CrLfText(MISTYPED));
    m_ui.answers = {true};
    ASSERT_EQ(Write(DataKind::Program, "4", typed), CommandResult::Done);
    const std::vector<LoggedRequest> fromTyped = RequestsSince(0);
    EXPECT_EQ(Asked().size(), 1u);

    const std::string stored = PathOf("stored.prgVem730");
    WriteWholeFile(stored, CrLfText(AS_STORED));
    m_ui.events.clear();
    ASSERT_EQ(Write(DataKind::Program, "4", stored), CommandResult::Done);
    const std::vector<LoggedRequest> fromStored = RequestsSince(fromTyped.size());
    EXPECT_TRUE(Asked().empty()) << "the exported form is read exactly";

    ASSERT_EQ(fromTyped.size(), fromStored.size());
    for (std::size_t i = 0; i < fromTyped.size(); ++i) {
        EXPECT_EQ(fromTyped[i].Summary(), fromStored[i].Summary());
        EXPECT_EQ(fromTyped[i].data, fromStored[i].data) << fromTyped[i].Summary();
    }
    EXPECT_EQ(m_sim->ProgramFrames(PROGRAM_4), ChainOf(AS_STORED));
}

// What Read makes of a program goes back without a question.
TEST_F(WriteSafety, TextThatReadMadeIsWrittenWithoutAQuestion)
{
    ASSERT_TRUE(m_sim->SetProgramFrames(PROGRAM_4, ChainOf(ProgramLines(40))));
    ASSERT_EQ(Read(DataKind::Program, "4", PathOf("read")), CommandResult::Done);
    m_ui.events.clear();
    ASSERT_EQ(Write(DataKind::Subprogram, "9", PathOf("read.prgVem730")), CommandResult::Done);
    EXPECT_TRUE(Asked().empty());
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Subprogram, 9}), ChainOf(ProgramLines(40)));
}

TEST_F(WriteSafety, QuestionListsTenLinesAndCountsTheRest)
{
    std::vector<std::string> lines(13, "X5");
    lines.insert(lines.begin(), "G0");
    const std::string file = PathOf("many.prgVem730");
    WriteWholeFile(file, CrLfText(lines));
    ASSERT_EQ(Write(DataKind::Program, "1", file), CommandResult::Cancelled);
    const std::string& detail = m_ui.details.at(0);
    EXPECT_NE(detail.find("строка 11: «X5»"), std::string::npos) << detail;
    EXPECT_EQ(detail.find("строка 12:"), std::string::npos) << detail;
    EXPECT_NE(detail.find("… и ещё 3 строки"), std::string::npos) << detail;
}

TEST_F(WriteSafety, DisabledLineSaysWhyItIsRefused)
{
    const std::string file = PathOf("disabled.prgVem730");
    WriteWholeFile(file, CrLfText({"G0", "  //G1", "X1.000F10"}));
    EXPECT_EQ(Write(DataKind::Program, "1", file), CommandResult::Failed);
    EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{"Ошибка в записываемой программе, строка: 2"});
    EXPECT_EQ(m_ui.details, std::vector<std::string>{Msg::DISABLED_LINE});

    // Any other refused line has no such detail.
    WriteWholeFile(file, CrLfText({"G0", "/G1"}));
    m_ui.details.clear();
    EXPECT_EQ(Write(DataKind::Program, "1", file), CommandResult::Failed);
    EXPECT_EQ(m_ui.details, std::vector<std::string>{""});
}

TEST_F(WriteSafety, VerifyReadsBackWithTheReadCommandsTransactions)
{
    const std::string file = PathOf("twelve.prgVem730");
    WriteWholeFile(file, CrLfText(ProgramLines(12)));
    m_commands->SetVerifyAfterWrite(true);
    ASSERT_EQ(Write(DataKind::Program, "4", file), CommandResult::Done);
    EXPECT_EQ(RequestSummaries(),
              (std::vector<std::string>{"R 0 1 0", "W 771 0 0", "W 771 0 160", "W 771 5 160",
                                        "W 771 10 160", "R 771 0 600", "R 771 0 5", "R 771 5 5",
                                        "R 771 10 5"}));
    EXPECT_TRUE(m_ui.Warnings().empty());

    const std::string params = PathOf("p.paramVem730");
    WriteWholeFile(params, ParameterFileOf(*m_sim));
    const std::size_t before = Requests().size();
    ASSERT_EQ(Write(DataKind::Parameters, "", params), CommandResult::Done);
    const std::vector<LoggedRequest> sent = RequestsSince(before);
    // The descriptor, writes of 3 general pieces and 4 axes, then as many reads.
    ASSERT_EQ(sent.size(), 1u + 7u + 7u);
    for (std::size_t i = 8; i < sent.size(); ++i)
        EXPECT_EQ(sent[i].Summary()[0], 'R') << sent[i].Summary();
}

TEST_F(WriteSafety, VerifyFindsWhatACorruptingStoreKept)
{
    const std::string file = PathOf("twelve.prgVem730");
    WriteWholeFile(file, CrLfText(ProgramLines(12)));
    m_commands->SetVerifyAfterWrite(true);
    m_sim->AddFault(*ParseFaultRule("corrupt:nth=4")); // the second block write
    EXPECT_EQ(Write(DataKind::Program, "4", file), CommandResult::Failed);
    EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{Msg::VERIFY_DIFFERS});
    // Frame 5 opens the second block; the flip is in its coordinate's low byte.
    EXPECT_EQ(m_ui.details.back(), "Строка 6: в файле «Y-0.500F05», в контроллере «Y-0.499F05»");

    m_sim->ClearFaults();
    m_sim->AddFault(*ParseFaultRule("corrupt:params"));
    const std::string params = PathOf("p.paramVem730");
    WriteWholeFile(params, ParameterFileOf(*m_sim));
    m_ui.events.clear();
    EXPECT_EQ(Write(DataKind::Parameters, "", params), CommandResult::Failed);
    EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{Msg::VERIFY_DIFFERS});
    EXPECT_EQ(m_ui.details.back().rfind("Байт 11: в файле 0x", 0), 0u) << m_ui.details.back();
}

struct CompareRow {
    const char* name;
    std::vector<std::string> controller;
    std::vector<std::string> file;
    CommandResult result;
    std::string detail;
};

TEST_F(WriteSafety, CompareReadsAndWritesNothing)
{
    const std::vector<std::string> five = {"G90", "G0", "X1.500F100", "M6T3", "M30"};
    const CompareRow rows[] = {
        {"same", five, five, CommandResult::Done, "5 строк"},
        {"same in another spelling", five, {"G90", "G00", "X1.5F100", "M6T3", "M30"},
         CommandResult::Done, "5 строк"},
        {"line differs", five, {"G90", "G0", "X1.501F100", "M6T3", "M30"}, CommandResult::Differs,
         "Строка 3: в файле «X1.501F100», в контроллере «X1.500F100»"},
        {"controller shorter", {"G90", "G0"}, five, CommandResult::Differs,
         "Строка 3: в файле «X1.500F100», в контроллере её нет (в контроллере 2 строки, в файле 5 строк)"},
        {"controller longer", five, {"G90", "G0", "X1.500F100"}, CommandResult::Differs,
         "В контроллере лишняя строка 4: «M6T3» (в контроллере 5 строк, в файле 3 строки)"},
        {"controller empty", {}, {"G90"}, CommandResult::Differs,
         "Строка 1: в файле «G90», в контроллере её нет (в контроллере 0 строк, в файле 1 строка)"},
    };
    for (const CompareRow& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(m_sim->SetProgramFrames(PROGRAM_4, ChainOf(row.controller)));
        const std::string file = PathOf("cmp.prgVem730");
        WriteWholeFile(file, CrLfText(row.file));
        m_ui.events.clear();
        m_ui.details.clear();
        const std::size_t before = Requests().size();
        EXPECT_EQ(Compare(DataKind::Program, "4", file), row.result);
        EXPECT_EQ(Informed(), std::vector<std::string>{row.result == CommandResult::Done
                                                           ? Msg::COMPARE_SAME
                                                           : Msg::COMPARE_DIFFERS});
        EXPECT_EQ(m_ui.details, std::vector<std::string>{row.detail});
        for (const LoggedRequest& r : RequestsSince(before))
            EXPECT_EQ(r.Summary()[0], 'R') << r.Summary();
        EXPECT_EQ(m_sim->ProgramFrames(PROGRAM_4), ChainOf(row.controller));
        EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
    }
}

// The texts agree, the bytes do not: the frame is named all the same.
TEST_F(WriteSafety, CompareNamesAFrameThatDiffersOnlyInBytesTheTextDoesNotShow)
{
    const std::vector<std::string> lines = {"G90", "G0", "M30"};
    std::vector<ProgramFrame> frames = ChainOf(lines);
    frames[1].bytes[ProgramFrame::RESERVED_OFFSET] = 0x55;
    ASSERT_TRUE(m_sim->SetProgramFrames(PROGRAM_4, frames));
    const std::string file = PathOf("same.prgVem730");
    WriteWholeFile(file, CrLfText(lines));
    EXPECT_EQ(Compare(DataKind::Program, "4", file), CommandResult::Differs);
    EXPECT_EQ(m_ui.details, std::vector<std::string>{
                                "Строка 2: в файле «G0», в контроллере «G0» "
                                "(кадры отличаются служебными байтами)"});
}

TEST_F(WriteSafety, CompareOfParametersNamesTheFirstDifferentByte)
{
    std::string params = ParameterFileOf(*m_sim);
    const std::string file = PathOf("p.paramVem730");
    WriteWholeFile(file, params);
    EXPECT_EQ(Compare(DataKind::Parameters, "", file), CommandResult::Done);
    EXPECT_EQ(Informed(), std::vector<std::string>{Msg::COMPARE_SAME});

    params[500] = static_cast<char>(params[500] ^ 0x40);
    WriteWholeFile(file, params);
    m_ui.events.clear();
    m_ui.details.clear();
    EXPECT_EQ(Compare(DataKind::Parameters, "", file), CommandResult::Differs);
    EXPECT_EQ(Informed(), std::vector<std::string>{Msg::COMPARE_DIFFERS});
    EXPECT_EQ(m_ui.details.at(0).rfind("Байт 500: в файле 0x", 0), 0u) << m_ui.details.at(0);
}

struct ShownRow {
    const char* name;
    std::string text;
    std::string shown;
};

TEST(RewriteReport, LinesAreShownPrintable)
{
    using namespace std::string_literals;
    const ShownRow rows[] = {
        {"plain", "G1 X10", "G1 X10"},
        {"nul", "X1\0F5"s, "X1␀F5"},
        {"tab and carriage return", "G1\t\r", "G1\\x09\\x0D"},
        {"cyrillic kept", "G1 ;ход", "G1 ;ход"},
        {"code page byte", "A90.000\xF8", "A90.000\\xF8"},
        {"cut sequence", "G1 \xD1", "G1 \\xD1"},
    };
    for (const ShownRow& row : rows)
        EXPECT_EQ(ShownText(row.text), row.shown) << row.name;
}

TEST(RewriteReport, CountWordAgreesWithTheNumber)
{
    const struct {
        std::size_t n;
        const char* word;
    } rows[] = {{1, "строка"},  {2, "строки"}, {4, "строки"}, {5, "строк"},   {11, "строк"},
                {12, "строк"},  {21, "строка"}, {22, "строки"}, {111, "строк"}, {0, "строк"}};
    for (const auto& row : rows)
        EXPECT_STREQ(LinesWord(row.n), row.word) << row.n;
}

} // namespace
