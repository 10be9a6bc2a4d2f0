// vemsync backup and restore as a nightly job runs them: the real
// executable against the simulator, output on pipes.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "backup/backup_messages.h"
#include "transfer/messages.h"
#include "tests/cli/vemsync_harness.h"

namespace fs = std::filesystem;

namespace {

TEST_F(VemsyncTest, BackupAndRestoreRoundTripTheController)
{
    std::vector<ProgramFrame> disabled = ChainOf(ProgramLines(12));
    disabled[4].setActive(0x00);
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Subprogram, 30}, disabled));
    const std::vector<ProgramFrame> program1 = m_sim->ProgramFrames({LinkFile::Program, 1});
    const std::string dir = PathOf("backups/2026-12-08");

    const std::string trace = PathOf("backup.trace");
    const VemsyncRun backup = Vemsync({"backup", dir, "--port", Port(), "--trace", trace});
    ASSERT_EQ(backup.status, 0) << backup.Describe();
    EXPECT_EQ(backup.out, "");
    EXPECT_EQ(LinesOf(backup.err).at(0), BackupMsg::BACKUP_DONE) << backup.Describe();
    EXPECT_TRUE(fs::exists(dir + "/subprogram-30.frames"));
    EXPECT_EQ(LinesOf(ReadWholeFile(trace)).size(), LinesOf(ReadWholeFile(PathOf("line.log"))).size())
        << "every frame of the backup is in its trace";

    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Subprogram, 30}, ChainOf(ProgramLines(2))));
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 1}, {}));
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 9}, ChainOf(ProgramLines(3))));
    const VemsyncRun restore = Vemsync({"restore", dir, "--port", Port(), "--verify", "--exact"});
    ASSERT_EQ(restore.status, 0) << restore.Describe();
    EXPECT_EQ(LinesOf(restore.err).at(0), BackupMsg::RESTORE_DONE) << restore.Describe();
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Subprogram, 30}), disabled);
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Program, 1}), program1);
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 9}), 0u);
}

TEST_F(VemsyncTest, BackupBarOnATerminalCoversTheWholeJob)
{
    VemsyncOptions terminal;
    terminal.stderrOnTerminal = true;
    const VemsyncRun run = Vemsync({"backup", PathOf("b"), "--port", Port()}, terminal);
    ASSERT_EQ(run.status, 0) << run.Describe();
    // The fresh store: 70 size queries, 2 + 4 parameter blocks, then programs
    // 1 and 2 and subprogram 1 in 5, 3 and 2 blocks. Until the sizes are
    // known the bar counts the queries and the parameters only.
    std::set<std::string> totals;
    for (std::string::size_type at = run.err.find("] "); at != std::string::npos;
         at = run.err.find("] ", at + 1)) {
        const std::string::size_type slash = run.err.find('/', at);
        const std::string::size_type end = run.err.find_first_not_of("0123456789", slash + 1);
        totals.insert(run.err.substr(slash + 1, end - slash - 1));
    }
    EXPECT_EQ(totals, (std::set<std::string>{"76", "86"})) << run.Describe();
    const std::string::size_type full = run.err.find("] 86/86");
    ASSERT_NE(full, std::string::npos) << run.Describe();
    EXPECT_NE(run.err.find(BackupMsg::BACKUP_DONE, full), std::string::npos)
        << "the summary follows the full bar\n" << run.Describe();
}

TEST_F(VemsyncTest, RestoreRefusalExitsOneWithTheReason)
{
    const std::string dir = PathOf("b");
    ASSERT_EQ(Vemsync({"backup", dir, "--port", Port()}).status, 0);
    std::string frames = ReadWholeFile(dir + "/program-02.frames");
    frames[0] ^= 0x40;
    WriteWholeFile(dir + "/program-02.frames", frames);

    const VemsyncRun run = Vemsync({"restore", dir, "--port", Port()});
    EXPECT_EQ(run.status, 1) << run.Describe();
    const std::vector<std::string> lines = LinesOf(run.err);
    ASSERT_GE(lines.size(), 2u) << run.Describe();
    EXPECT_EQ(lines[0], BackupMsg::BACKUP_DAMAGED);
    EXPECT_EQ(lines[1], dir + "/program-02.frames: контрольная сумма не совпадает");
}

TEST_F(VemsyncTest, RestoreHelpSaysWhatExactDeletes)
{
    const VemsyncRun run = Vemsync({"restore", "--help"});
    ASSERT_EQ(run.status, 0) << run.Describe();
    EXPECT_NE(run.out.find("--exact                 удалить и программы, пустые в копии:"),
              std::string::npos)
        << run.out;
    const VemsyncRun general = Vemsync({"--help"});
    EXPECT_NE(general.out.find("--exact                 restore: удалить и программы, пустые в копии:"), std::string::npos);
}

} // namespace
