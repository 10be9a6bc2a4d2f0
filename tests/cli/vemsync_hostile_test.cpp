// vemsync where the operator is unlucky or someone else is careless:
// interrupted mid-transfer, run as another user beside other people's
// files, given a file that never ends.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "backup/backup_messages.h"
#include "cli/cli_messages.h"
#include "transfer/messages.h"
#include "tests/cli/vemsync_harness.h"
#include "tests/transfer/request_log.h"

namespace fs = std::filesystem;

namespace {

constexpr uid_t NOBODY = 65534;

class VemsyncHostile : public VemsyncTest {
protected:
    // vemsync as another user must reach the line and the test's folder.
    void OpenToOthers()
    {
        ASSERT_EQ(::chmod(Port().c_str(), 0666), 0);
        ASSERT_EQ(::chmod(m_folder.Path().c_str(), 0755), 0);
    }
    void RequireRoot()
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "running as another user needs root";
    }
};

struct InterruptRow {
    const char* name;
    int signal;
    bool read;
    int status;
};

// Whatever vemsync created goes with it; the user's files stay as they
// were; a Write cut off after the delete says what the controller holds.
TEST_F(VemsyncHostile, InterruptedTransferLeavesNothingBehind)
{
    SimOptions paced;
    paced.pace = true; // 100 blocks at the line's pace: seconds to interrupt in
    Start(paced);
    ReleaseLine();
    const std::vector<std::string> lines = ProgramLines(500);
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 1}, ChainOf(lines)));
    const InterruptRow rows[] = {
        {"SIGINT during a read", SIGINT, true, 130},
        {"SIGTERM during a read", SIGTERM, true, 143},
        {"SIGHUP during a write", SIGHUP, false, 129},
    };
    int index = 0;
    for (const InterruptRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string folder = PathOf("interrupted" + std::to_string(index++));
        fs::create_directory(folder);
        const std::string file = folder + "/p.prgVem730";
        WriteWholeFile(file, row.read ? "old" : CrLfText(lines));
        const std::string before = ReadWholeFile(file);

        // Descriptor, size or delete, then four blocks under way.
        const std::size_t started = RequestLines(PathOf("line.log"));
        VemsyncOptions options;
        bool signalled = false;
        options.whileRunning = [&](pid_t pid) {
            signalled = WaitForRequests(PathOf("line.log"), started + 6) && ::kill(pid, row.signal) == 0;
        };
        const VemsyncRun run = Vemsync({row.read ? "read" : "write", "program", row.read ? "1" : "2",
                                        file, "--port", Port()},
                                       options);
        ASSERT_TRUE(signalled) << run.Describe();
        EXPECT_EQ(run.status, row.status) << run.Describe();
        EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"p.prgVem730"});
        EXPECT_EQ(ReadWholeFile(file), before);
        EXPECT_EQ(FolderEntries(PrivateFolder()), std::vector<std::string>{});
        if (!row.read) {
            const std::vector<std::string> err = LinesOf(run.err);
            ASSERT_FALSE(err.empty()) << run.Describe();
            EXPECT_EQ(err.back().rfind("Запись прервана. Прежняя программа в Вем-730 удалена; записано ", 0),
                      0u)
                << run.Describe();
            EXPECT_NE(err.back().find(" из 500 слов"), std::string::npos) << run.Describe();
        } else {
            EXPECT_EQ(run.err, "");
        }
    }
}

struct JobInterruptRow {
    const char* name;
    const char* command; // "backup" or "restore"
    int signal;
    int status;
};

// A backup or restore lets the block in flight finish, then stops: a backup
// removes what it made and leaves the earlier backup as it was; a restore
// says which item it cut off and exactly what the controller holds of it.
// A backup killed outright leaves its staging folder, and the next one
// removes it.
TEST_F(VemsyncHostile, InterruptedBackupOrRestoreSaysWhatItLeft)
{
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 1}, ChainOf(ProgramLines(500))));
    const std::string dir = PathOf("backup");
    const VemsyncRun first = Vemsync({"backup", dir, "--port", Port()});
    ASSERT_EQ(first.status, 0) << first.Describe();
    const std::map<std::string, std::string> earlier = FolderFiles(dir);
    // A slow controller from now: seconds of blocks to interrupt in.
    constexpr std::uint32_t BLOCK_MS = 20;
    m_sim->AddFault({FaultMode::Delay, FaultTarget::BlockRead, 0, BLOCK_MS});
    m_sim->AddFault({FaultMode::Delay, FaultTarget::BlockWrite, 0, BLOCK_MS});
    const JobInterruptRow rows[] = {
        {"SIGTERM during a backup", "backup", SIGTERM, 143},
        {"SIGHUP during a backup", "backup", SIGHUP, 129},
        {"SIGINT during a restore", "restore", SIGINT, 130},
        {"SIGKILL during a backup", "backup", SIGKILL, 128 + SIGKILL},
    };
    for (const JobInterruptRow& row : rows) {
        SCOPED_TRACE(row.name);
        const bool restore = std::string(row.command) == "restore";
        // Past the descriptor, the size queries or the parameters: among
        // program 1's blocks.
        const std::size_t started = RequestLines(PathOf("line.log"));
        VemsyncOptions options;
        bool signalled = false;
        options.whileRunning = [&](pid_t pid) {
            signalled =
                WaitForRequests(PathOf("line.log"), started + (restore ? 20 : 90)) && ::kill(pid, row.signal) == 0;
        };
        const VemsyncRun run = Vemsync({row.command, dir, "--port", Port()}, options);
        ASSERT_TRUE(signalled) << run.Describe();
        EXPECT_EQ(run.status, row.status) << run.Describe();
        EXPECT_EQ(FolderFiles(dir), earlier);
        const std::vector<std::string> err = LinesOf(run.err);
        if (row.signal == SIGKILL) {
            EXPECT_EQ(FolderEntries(m_folder.Path()).size(), 4u) << "the staging folder stays beside";
            const VemsyncRun next = Vemsync({"backup", dir, "--port", Port()});
            EXPECT_EQ(next.status, 0) << next.Describe();
        } else if (!restore) {
            EXPECT_EQ(err, (std::vector<std::string>{BackupMsg::BACKUP_INTERRUPTED, BackupMsg::EARLIER_KEPT}))
                << run.Describe();
        } else {
            ASSERT_EQ(err.size(), 2u) << run.Describe();
            EXPECT_EQ(err[0], BackupMsg::RESTORE_INTERRUPTED);
            const std::string holds = "Программа 1 — восстановление остановлено. Прежняя программа в Вем-730 "
                                      "удалена; записано " +
                                      std::to_string(m_sim->ProgramSize({LinkFile::Program, 1})) +
                                      " из 500 слов: в контроллере неполная программа.";
            EXPECT_EQ(err[1].rfind(holds, 0), 0u) << run.Describe();
        }
        EXPECT_EQ(FolderEntries(m_folder.Path()), (std::vector<std::string>{"backup", "line.log", "store"}))
            << "nothing is left beside the backup";
    }
}

struct TraceRow {
    const char* name;
    // The trace's path, made as the row needs it.
    std::function<std::string()> make;
    const char* detail; // after "PATH: "
};

// --trace writes into a regular file of the user's choosing and nothing
// else: never blocking on a FIFO, never into a device, never into the file
// being written, never through a link anyone could have planted; the
// refusal comes before the first request.
TEST_F(VemsyncHostile, TraceGoesOnlyIntoAFileOfItsOwn)
{
    RequireRoot();
    const std::string program = PathOf("p.prgVem730");
    WriteWholeFile(program, CrLfText(ProgramLines(12)));
    const std::string victim = PathOf("victim.txt");
    WriteWholeFile(victim, "keep");
    const TraceRow rows[] = {
        {"a FIFO nobody reads",
         [&] {
             EXPECT_EQ(::mkfifo(PathOf("fifo").c_str(), 0600), 0);
             return PathOf("fifo");
         },
         CliMsg::TRACE_NOT_REGULAR},
        {"a device", [] { return std::string("/dev/full"); }, CliMsg::TRACE_NOT_REGULAR},
        {"the program being written", [&] { return program; }, CliMsg::TRACE_IS_THE_FILE},
        {"a link planted in a shared folder",
         [&] {
             const std::string shared = PathOf("shared");
             fs::create_directory(shared);
             EXPECT_EQ(::chmod(shared.c_str(), 01777), 0);
             const std::string link = shared + "/trace.log";
             fs::create_symlink(victim, link);
             EXPECT_EQ(::lchown(link.c_str(), NOBODY, NOBODY), 0);
             return link;
         },
         CliMsg::TRACE_PLANTED_LINK},
    };
    for (const TraceRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string trace = row.make();
        const std::size_t before = RequestLines(PathOf("line.log"));
        const VemsyncRun run =
            Vemsync({"write", "program", "3", program, "--port", Port(), "--trace", trace});
        EXPECT_EQ(run.status, 1) << run.Describe();
        EXPECT_EQ(LinesOf(run.err), (std::vector<std::string>{CliMsg::TRACE_NOT_OPENED, trace + ": " + row.detail}))
            << run.Describe();
        EXPECT_EQ(RequestLines(PathOf("line.log")), before) << "the controller was asked";
    }
    EXPECT_EQ(ReadWholeFile(program), CrLfText(ProgramLines(12)));
    EXPECT_EQ(ReadWholeFile(victim), "keep");

    // A full disk: the transfer is done and said so, then the trace's loss.
    const std::string full = PathOf("full");
    fs::create_directory(full);
    ASSERT_EQ(::mount("tmpfs", full.c_str(), "tmpfs", 0, "size=4k"), 0);
    WriteWholeFile(full + "/filler", std::string(4096, 'x'));
    const VemsyncRun run =
        Vemsync({"write", "program", "3", program, "--port", Port(), "--trace", full + "/trace.log"});
    ::umount2(full.c_str(), MNT_DETACH);
    EXPECT_EQ(run.status, 1) << run.Describe();
    EXPECT_EQ(LinesOf(run.err), (std::vector<std::string>{CliMsg::TRACE_INCOMPLETE,
                                                          full + "/trace.log: нет места на диске"}))
        << run.Describe();
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 3}), 12u);
}

// Writing a program needs no room beside its text: a write-protected stick
// or a read-only share serves as well.
TEST_F(VemsyncHostile, WriteFromAReadOnlyFolder)
{
    RequireRoot();
    OpenToOthers();
    const std::string folder = PathOf("read-only");
    fs::create_directory(folder);
    WriteWholeFile(folder + "/p.prgVem730", CrLfText(ProgramLines(12)));
    ASSERT_EQ(::chmod((folder + "/p.prgVem730").c_str(), 0644), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    VemsyncOptions options;
    options.user = NOBODY;
    options.group = NOBODY;
    const VemsyncRun run =
        Vemsync({"write", "program", "3", folder + "/p.prgVem730", "--port", Port()}, options);
    EXPECT_EQ(run.status, 0) << run.Describe();
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Program, 3}).size(), 12u);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"p.prgVem730"});
}

// A program shared by a group, read by another member: it stays its
// owner's, in its group, with its mode.
TEST_F(VemsyncHostile, GroupSharedTargetKeepsItsOwner)
{
    RequireRoot();
    OpenToOthers();
    constexpr uid_t OWNER = 1111;
    constexpr uid_t READER = 2222;
    constexpr gid_t GROUP = 4242;
    const std::string folder = PathOf("shared");
    fs::create_directory(folder);
    ASSERT_EQ(::chown(folder.c_str(), OWNER, GROUP), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 02770), 0);
    const std::string file = folder + "/p.prgVem730";
    WriteWholeFile(file, "old");
    ASSERT_EQ(::chown(file.c_str(), OWNER, GROUP), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0660), 0);
    const std::vector<std::string> lines = ProgramLines(9);
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 8}, ChainOf(lines)));

    VemsyncOptions options;
    options.user = READER;
    options.group = GROUP;
    const VemsyncRun run = Vemsync({"read", "program", "8", file, "--port", Port()}, options);
    EXPECT_EQ(run.status, 0) << run.Describe();
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, OWNER);
    EXPECT_EQ(st.st_gid, GROUP);
    EXPECT_EQ(st.st_mode & 07777, 0660u);
    EXPECT_EQ(ReadWholeFile(file), CrLfText(lines));
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"p.prgVem730"});
}

// A controller that answers three time-outs late (T = 100 ms for vemsync):
// that read fails, and the vemsync a script runs right after gets its own
// replies, not the late one.
TEST_F(VemsyncHostile, LateReplyDoesNotReachTheNextRun)
{
    const std::vector<std::string> lines = ProgramLines(7);
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 6}, ChainOf(lines)));
    // Descriptor, size, then the first block: the third request from now.
    m_sim->AddFault({FaultMode::Delay, FaultTarget::Nth, 3, 300});
    const VemsyncRun late = Vemsync({"read", "program", "6", PathOf("late"), "--port", Port()});
    EXPECT_EQ(late.status, 1) << late.Describe();
    EXPECT_EQ(LinesOf(late.err), std::vector<std::string>{Msg::PROGRAM_READ_FAILED}) << late.Describe();
    const VemsyncRun next = Vemsync({"read", "program", "6", PathOf("next"), "--port", Port()});
    EXPECT_EQ(next.status, 0) << next.Describe();
    EXPECT_EQ(ReadWholeFile(PathOf("next.prgVem730")), CrLfText(lines));
}

// `check` of something that never ends answers at once.
TEST_F(VemsyncHostile, CheckRefusesAFifoAndADevice)
{
    const std::string fifo = PathOf("pipe.prgVem730");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& input : {fifo, std::string("/dev/zero")}) {
        SCOPED_TRACE(input);
        const VemsyncRun run = Vemsync({"check", input});
        EXPECT_EQ(run.status, 1) << run.Describe();
        EXPECT_EQ(LinesOf(run.err),
                  (std::vector<std::string>{Msg::CANNOT_OPEN_FILE, input + ": не обычный файл"}))
            << run.Describe();
    }
}

} // namespace
