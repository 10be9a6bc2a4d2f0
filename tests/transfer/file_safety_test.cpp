// The commands against files and a line that are not as they should be:
// names planted beside the user's file, links, other owners, FIFOs and
// devices, long names, a controller that answers late.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "transfer/messages.h"
#include "tests/transfer/transfer_harness.h"

namespace fs = std::filesystem;

namespace {

class FileSafety : public TransferTest {
protected:
    void SetUp() override { Start(); }

    std::vector<std::string> Details() const { return m_ui.details; }
    void ClearUi()
    {
        m_ui.events.clear();
        m_ui.details.clear();
    }
};

// A fixed image name beside the file would let a planted link redirect the
// image's bytes into any file the operator can write.
TEST_F(FileSafety, PlantedLinkBesideTheFileIsNeverFollowed)
{
    const std::string victim = PathOf("victim");
    WriteWholeFile(victim, "precious");
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 1}, ChainOf(ProgramLines(7))));
    const std::string source = PathOf("w.prgVem730");
    WriteWholeFile(source, CrLfText(ProgramLines(7)));
    for (const char* planted : {"r.prgVem730.tmp", "w.prgVem730.tmp"})
        fs::create_symlink(victim, PathOf(planted));

    EXPECT_EQ(Read(DataKind::Program, "1", PathOf("r")), CommandResult::Done);
    EXPECT_EQ(Write(DataKind::Program, "2", source), CommandResult::Done);
    EXPECT_EQ(ReadWholeFile(victim), "precious");
    EXPECT_EQ(ReadWholeFile(PathOf("r.prgVem730")), CrLfText(ProgramLines(7)));
}

struct RefusedRow {
    const char* name;
    std::string text;
};

TEST_F(FileSafety, RefusedWriteLeavesNothingBehind)
{
    const RefusedRow rows[] = {
        {"empty text", ""},
        {"501 lines", CrLfText(ProgramLines(501))},
    };
    for (const RefusedRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string folder = PathOf(std::string("refused-") + row.name);
        fs::create_directory(folder);
        WriteWholeFile(folder + "/p.prgVem730", row.text);
        ClearUi();
        EXPECT_EQ(Write(DataKind::Program, "1", folder + "/p.prgVem730"), CommandResult::Failed);
        EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{Msg::PROGRAM_SIZE});
        EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"p.prgVem730"});
        EXPECT_EQ(FolderEntries(PrivateFolder()), std::vector<std::string>{});
    }
}

// 255 bytes, the longest name the file system takes: no name derived from
// it may be longer.
TEST_F(FileSafety, LongestCyrillicNameWorksForReadAndWrite)
{
    std::string name;
    while (name.size() + 2 + 1 + std::string(".prgVem730").size() <= 255)
        name += "ж";
    while (name.size() + std::string(".prgVem730").size() < 255)
        name += "x";
    const std::string path = PathOf(name + ".prgVem730");
    ASSERT_EQ(fs::path(path).filename().string().size(), 255u);
    const std::vector<std::string> lines = ProgramLines(12);
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 4}, ChainOf(lines)));

    ASSERT_EQ(Read(DataKind::Program, "4", path), CommandResult::Done) << m_ui.Shown().at(0);
    EXPECT_EQ(ReadWholeFile(path), CrLfText(lines));
    ASSERT_EQ(Write(DataKind::Program, "9", path), CommandResult::Done) << m_ui.Shown().at(0);
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Program, 9}).size(), lines.size());
}

struct IdentityRow {
    const char* name;
    // Makes the target at `path` and any other name for it; returns the
    // names that must all show the new content afterwards.
    std::function<std::vector<std::string>(const std::string& folder, const std::string& path)> make;
};

// Read replaces the content, not the file: owner, group, mode, links.
TEST_F(FileSafety, ReadKeepsTheTargetsIdentity)
{
    const std::vector<std::string> lines = ProgramLines(6);
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 3}, ChainOf(lines)));
    constexpr uid_t OWNER = 1111;
    constexpr gid_t GROUP = 4242;
    const IdentityRow rows[] = {
        {"another owner and group, 0640",
         [&](const std::string&, const std::string& path) {
             WriteWholeFile(path, "old");
             EXPECT_EQ(::chown(path.c_str(), OWNER, GROUP), 0);
             EXPECT_EQ(::chmod(path.c_str(), 0640), 0);
             return std::vector<std::string>{path};
         }},
        {"symbolic link",
         [](const std::string& folder, const std::string& path) {
             WriteWholeFile(folder + "/real", "old");
             fs::create_symlink("real", path);
             return std::vector<std::string>{folder + "/real"};
         }},
        {"hard link",
         [](const std::string& folder, const std::string& path) {
             WriteWholeFile(path, "old and longer than the new content will be, much longer" +
                                      std::string(4096, 'x'));
             fs::create_hard_link(path, folder + "/second");
             return std::vector<std::string>{path, folder + "/second"};
         }},
    };
    int index = 0;
    for (const IdentityRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string folder = PathOf("identity" + std::to_string(index++));
        fs::create_directory(folder);
        const std::string path = folder + "/t.prgVem730";
        const std::vector<std::string> names = row.make(folder, path);
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
        const bool wasLink = fs::is_symlink(path);

        ClearUi();
        ASSERT_EQ(Read(DataKind::Program, "3", path), CommandResult::Done);
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(fs::is_symlink(path), wasLink);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_nlink, before.st_nlink);
        for (const std::string& name : names)
            EXPECT_EQ(ReadWholeFile(name), CrLfText(lines)) << name;
    }
}

struct IrregularRow {
    const char* name;
    bool read;
    DataKind kind;
    std::string file;
};

// A FIFO or a device never ends (or never begins): refused at once with the
// file message and its cause, the port left alone.
TEST_F(FileSafety, FifosAndDevicesAreRefusedAtOnce)
{
    const std::string fifo = PathOf("pipe.prgVem730");
    const std::string paramFifo = PathOf("pipe.paramVem730");
    const std::string zero = PathOf("zero.prgVem730"); // the extension is added otherwise
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(paramFifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", zero);
    const IrregularRow rows[] = {
        {"write program from a FIFO", false, DataKind::Program, fifo},
        {"write program from /dev/zero", false, DataKind::Program, zero},
        {"write parameters from a FIFO", false, DataKind::Parameters, paramFifo},
        {"read program into a FIFO", true, DataKind::Program, fifo},
        {"read parameters into a FIFO", true, DataKind::Parameters, paramFifo},
    };
    for (const IrregularRow& row : rows) {
        SCOPED_TRACE(row.name);
        ClearUi();
        const CommandResult result =
            row.read ? Read(row.kind, "1", row.file) : Write(row.kind, "1", row.file);
        EXPECT_EQ(result, CommandResult::Failed);
        EXPECT_EQ(m_ui.Shown(), (std::vector<std::string>{Msg::CANNOT_OPEN_FILE,
                                                           row.file + ": не обычный файл"}));
    }
}

// The controller answers the block read three time-outs late: that read
// fails, and the command run right after gets its own replies.
TEST_F(FileSafety, LateReplyIsNotTakenByTheNextCommand)
{
    constexpr std::uint16_t T = 50;
    Relink(T);
    const std::vector<std::string> lines = ProgramLines(7);
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 5}, ChainOf(lines)));
    // Descriptor, size, then the first block: the third request from now.
    m_sim->AddFault({FaultMode::Delay, FaultTarget::Nth, 3, 3 * T});
    EXPECT_EQ(Read(DataKind::Program, "5", PathOf("late")), CommandResult::Failed);
    EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{Msg::PROGRAM_READ_FAILED});
    ClearUi();
    EXPECT_EQ(Read(DataKind::Program, "5", PathOf("next")), CommandResult::Done) << m_ui.Shown().at(0);
    EXPECT_EQ(ReadWholeFile(PathOf("next.prgVem730")), CrLfText(lines));
}

struct HeldRow {
    const char* name;
    FaultMode fault;
    std::uint32_t nth; // descriptor, delete, then the blocks
    unsigned held;     // words the controller holds after it
    const char* detail;
};

// After the delete, the controller holds only what was written; the detail
// says how much, and a block whose reply was lost counts as possibly
// stored, not as lost.
TEST_F(FileSafety, WriteFailedAfterTheDeleteSaysWhatTheControllerHolds)
{
    const HeldRow rows[] = {
        {"the second block's reply spoilt", FaultMode::BadCrc, 4, 10,
         "Ответ контроллера искажён: не сходится контрольная сумма (CRC). Проверьте скорость порта "
         "(38400 бод), длину кабеля и нет ли рядом с ним помех.\n"
         "Прежняя подпрограмма в Вем-730 удалена; записано от 5 до 10 из 12 слов (ответ на последний блок "
         "не получен): в контроллере неполная подпрограмма."},
        {"the last block's reply spoilt", FaultMode::BadCrc, 5, 12,
         "Ответ контроллера искажён: не сходится контрольная сумма (CRC). Проверьте скорость порта "
         "(38400 бод), длину кабеля и нет ли рядом с ним помех.\n"
         "Прежняя подпрограмма в Вем-730 удалена; записано от 10 до 12 из 12 слов (ответ на последний блок "
         "не получен): подпрограмма в контроллере может быть неполной."},
        {"the second block refused", FaultMode::Exception, 4, 5,
         "Контроллер отказал в запросе: код исключения 4 (сбой в контроллере).\n"
         "Прежняя подпрограмма в Вем-730 удалена; записано 5 из 12 слов: в контроллере неполная "
         "подпрограмма."},
    };
    const std::string source = PathOf("twelve.prgVem730");
    WriteWholeFile(source, CrLfText(ProgramLines(12)));
    for (const HeldRow& row : rows) {
        SCOPED_TRACE(row.name);
        ClearUi();
        m_sim->ClearFaults();
        m_sim->AddFault({row.fault, FaultTarget::Nth, row.nth, 0});
        EXPECT_EQ(Write(DataKind::Subprogram, "7", source), CommandResult::Failed);
        EXPECT_EQ(m_ui.Shown(), (std::vector<std::string>{Msg::SUBPROGRAM_WRITE_FAILED, row.detail}));
        EXPECT_EQ(m_sim->ProgramSize({LinkFile::Subprogram, 7}), row.held);
    }
}

} // namespace
