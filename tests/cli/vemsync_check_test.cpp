// vemsync's answers to lines not stored as written, verify after write and
// compare, as a script sees them: exit status and standard error.

#include <gtest/gtest.h>

#include "transfer/messages.h"
#include "tests/cli/vemsync_harness.h"

namespace {

constexpr int EXIT_FAILED = 1;
constexpr int EXIT_DIFFERS = 3;

using namespace std::string_literals;

// The table as a technologist typed it, one row a line.
const std::vector<std::string> TYPED = {"G1 X10", "X 60.000", "X10..5", "X+5.0",          "XYZ",
                                        "M6T12",  "M999",     "X60",    "X12.345\0F100"s, "HELLO"};

std::string Typed()
{
    return CrLfText(TYPED);
}

class VemsyncCheck : public VemsyncTest {
protected:
    static constexpr ProgramId PROGRAM_5{LinkFile::Program, 5};
};

TEST_F(VemsyncCheck, EveryRowOfTheTableIsRefusedUntilAccepted)
{
    const std::string file = PathOf("typed.prgVem730");
    WriteWholeFile(file, Typed());
    ASSERT_TRUE(m_sim->SetProgramFrames(PROGRAM_5, ChainOf(ProgramLines(3))));

    const VemsyncRun check = Vemsync({"check", file});
    EXPECT_EQ(check.status, EXIT_FAILED) << check.Describe();
    EXPECT_EQ(check.out, "");
    for (int line = 1; line <= 10; ++line)
        EXPECT_NE(check.err.find("строка " + std::to_string(line) + ": «"), std::string::npos)
            << line << "\n" << check.Describe();
    EXPECT_NE(check.err.find("«X12.345␀F100» → «X12.345F00»"), std::string::npos) << check.Describe();

    const VemsyncRun write = Vemsync({"write", "program", "5", file, "--port", Port()});
    EXPECT_EQ(write.status, EXIT_FAILED) << write.Describe();
    EXPECT_EQ(write.err.rfind(Msg::ACCEPT_REWRITES, 0), 0u) << write.Describe();
    EXPECT_EQ(RequestSummaries(), std::vector<std::string>{"R 0 1 0"});
    EXPECT_EQ(m_sim->ProgramFrames(PROGRAM_5), ChainOf(ProgramLines(3)));

    const VemsyncRun accepted = Vemsync({"check", file, "--accept-rewrites"});
    EXPECT_EQ(accepted.status, 0) << accepted.Describe();
    EXPECT_EQ(accepted.out, "10\n");
    EXPECT_NE(accepted.err.find("строка 10: «HELLO» → «H1»"), std::string::npos);

    const VemsyncRun written =
        Vemsync({"write", "program", "5", file, "--port", Port(), "--accept-rewrites"});
    EXPECT_EQ(written.status, 0) << written.Describe();
    EXPECT_EQ(LinesOf(written.err).size(), 12u) << "the question, its header and ten lines";
    EXPECT_EQ(m_sim->ProgramFrames(PROGRAM_5),
              ChainOf({"G1", "X0.000F00", "X0.000F00", "X0.000F00", "X0.000F00", "M6T8", "M332",
                       "X0.060F00", "X12.345F00", "H1"}));
}

TEST_F(VemsyncCheck, VerifyExitsOneWhenTheControllerKeptOtherData)
{
    const std::string file = PathOf("seven.prgVem730");
    WriteWholeFile(file, CrLfText(ProgramLines(7)));
    const VemsyncRun good = Vemsync({"write", "program", "5", file, "--port", Port(), "--verify"});
    EXPECT_EQ(good.status, 0) << good.Describe();
    EXPECT_EQ(good.err, "");

    m_sim->AddFault(*ParseFaultRule("corrupt:block-write"));
    const VemsyncRun bad = Vemsync({"write", "program", "5", file, "--port", Port(), "--verify"});
    EXPECT_EQ(bad.status, EXIT_FAILED) << bad.Describe();
    EXPECT_EQ(LinesOf(bad.err), (std::vector<std::string>{
                                    Msg::VERIFY_DIFFERS,
                                    "Строка 6: в файле «Y-0.500F05», в контроллере «Y-0.499F05»"}));
}

TEST_F(VemsyncCheck, CompareExitsZeroOrThree)
{
    ASSERT_TRUE(m_sim->SetProgramFrames(PROGRAM_5, ChainOf(ProgramLines(7))));
    const std::string file = PathOf("seven.prgVem730");
    WriteWholeFile(file, CrLfText(ProgramLines(7)));
    const VemsyncRun same = Vemsync({"compare", "program", "5", file, "--port", Port()});
    EXPECT_EQ(same.status, 0) << same.Describe();
    EXPECT_EQ(LinesOf(same.err), (std::vector<std::string>{Msg::COMPARE_SAME,
                                                          "Программа 5 и файл seven.prgVem730: 7 строк"}));

    WriteWholeFile(file, CrLfText(ProgramLines(8)));
    const VemsyncRun longer = Vemsync({"compare", "program", "5", file, "--port", Port()});
    EXPECT_EQ(longer.status, EXIT_DIFFERS) << longer.Describe();
    EXPECT_EQ(LinesOf(longer.err),
              (std::vector<std::string>{Msg::COMPARE_DIFFERS, "Программа 5 и файл seven.prgVem730",
                                        "Строка 8: в файле «Z-2.000F200», в контроллере её нет "
                                        "(в контроллере 7 строк, в файле 8 строк)"}));

    const VemsyncRun missing = Vemsync({"compare", "program", "5", PathOf("none"), "--port", Port()});
    EXPECT_EQ(missing.status, EXIT_FAILED) << missing.Describe();
    EXPECT_EQ(LinesOf(missing.err),
              (std::vector<std::string>{Msg::CANNOT_OPEN_FILE,
                                        PathOf("none.prgVem730") + ": файл не найден"}));

    for (const LoggedRequest& r : Requests())
        EXPECT_EQ(r.Summary()[0], 'R') << r.Summary();
}

} // namespace
