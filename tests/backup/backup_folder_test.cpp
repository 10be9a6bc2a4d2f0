// What a backup may do to the folder it is given: replace an earlier backup
// of its own and nothing else, follow a link to the folder it names, work
// at the root of a mounted file system, and refuse odd targets before the
// controller is asked anything.

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>

#include "backup/backup_commands.h"
#include "backup/backup_messages.h"
#include "transfer/messages.h"
#include "tests/transfer/transfer_harness.h"

namespace fs = std::filesystem;

namespace {

// Every file under a folder, by its path inside it, with its bytes.
std::map<std::string, std::string> Tree(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).string()] = ReadWholeFile(entry.path().string());
    return files;
}

// A tmpfs mounted on a folder for the life of the object.
class CTmpfsMount {
public:
    explicit CTmpfsMount(std::string folder) : m_folder(std::move(folder))
    {
        fs::create_directories(m_folder);
        m_mounted = ::mount("tmpfs", m_folder.c_str(), "tmpfs", 0, "size=8m") == 0;
    }
    ~CTmpfsMount()
    {
        if (m_mounted)
            ::umount2(m_folder.c_str(), MNT_DETACH);
    }
    CTmpfsMount(const CTmpfsMount&) = delete;
    CTmpfsMount& operator=(const CTmpfsMount&) = delete;
    bool Mounted() const { return m_mounted; }

private:
    std::string m_folder;
    bool m_mounted = false;
};

class BackupFolder : public TransferTest {
protected:
    void SetUp() override { Start(); }

    CommandResult BackupTo(const std::string& folder)
    {
        m_ui.events.clear();
        m_ui.details.clear();
        CBackupCommands commands(*m_link, m_info, Buffer(), m_ui);
        return commands.Backup(folder);
    }
    CommandResult RestoreFrom(const std::string& folder)
    {
        m_ui.events.clear();
        m_ui.details.clear();
        CBackupCommands commands(*m_link, m_info, Buffer(), m_ui);
        return commands.Restore(folder, {});
    }
};

struct TargetRow {
    const char* name;
    // Makes the folder (or what stands in its place) at the path.
    std::function<void(const std::string& path)> make;
    const char* warning; // nullptr: the backup is made
};

void Fill(const std::string& folder, const std::map<std::string, std::string>& files)
{
    fs::create_directories(folder);
    for (const auto& [name, bytes] : files)
        WriteWholeFile(folder + "/" + name, bytes);
}

// Only an empty folder, a new name or an earlier backup of this program
// and nothing else is taken; anything else is refused before the
// controller is asked anything and stays as it was.
TEST_F(BackupFolder, ReplacesOnlyAnEmptyFolderOrAnEarlierBackupOfItsOwn)
{
    const std::string earlier = PathOf("earlier");
    ASSERT_EQ(BackupTo(earlier), CommandResult::Done);
    const TargetRow rows[] = {
        {"a new name", [](const std::string&) {}, nullptr},
        {"an empty folder", [](const std::string& path) { fs::create_directory(path); }, nullptr},
        {"an earlier backup",
         [&](const std::string& path) { fs::copy(earlier, path, fs::copy_options::recursive); }, nullptr},
        {"another tool's manifest.txt",
         [](const std::string& path) {
             Fill(path, {{"manifest.txt", "files: a.csv\n"}, {"a.csv", "1;2;3\n"}});
             Fill(path + "/sub", {{"keep.txt", "keep"}});
         },
         BackupMsg::FOLDER_FOREIGN},
        {"an empty manifest.txt", [](const std::string& path) { Fill(path, {{"manifest.txt", ""}}); },
         BackupMsg::FOLDER_FOREIGN},
        {"an earlier backup with a note added",
         [&](const std::string& path) {
             fs::copy(earlier, path, fs::copy_options::recursive);
             WriteWholeFile(path + "/note.txt", "before the service");
         },
         BackupMsg::FOLDER_FOREIGN},
        {"a file", [](const std::string& path) { WriteWholeFile(path, "text"); }, BackupMsg::FOLDER_UNUSABLE},
        {"a link to nothing",
         [](const std::string& path) { fs::create_symlink(path + "-gone", path); }, BackupMsg::FOLDER_UNUSABLE},
    };
    int index = 0;
    for (const TargetRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = PathOf("target" + std::to_string(index++));
        row.make(path);
        const std::map<std::string, std::string> before = fs::is_directory(path) ? Tree(path) : decltype(before){};
        const std::size_t requests = RequestSummaries().size();

        const CommandResult result = BackupTo(path);
        if (row.warning == nullptr) {
            EXPECT_EQ(result, CommandResult::Done) << ::testing::PrintToString(m_ui.events);
            EXPECT_TRUE(fs::exists(path + "/manifest.txt"));
            continue;
        }
        EXPECT_EQ(result, CommandResult::Failed);
        EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{row.warning});
        EXPECT_EQ(RequestSummaries().size(), requests) << "the controller was asked";
        if (fs::is_directory(path)) {
            EXPECT_EQ(Tree(path), before);
        }
    }
    // The current folder is a folder like any other.
    const std::string work = PathOf("work");
    Fill(work, {{"part.prgVem730", "G1\r\n"}});
    const fs::path cwd = fs::current_path();
    fs::current_path(work);
    EXPECT_EQ(BackupTo("."), CommandResult::Failed);
    fs::current_path(cwd);
    EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{BackupMsg::FOLDER_FOREIGN});
    EXPECT_EQ(FolderEntries(work), std::vector<std::string>{"part.prgVem730"});
}

// The nightly job's "latest" link keeps leading to the share.
TEST_F(BackupFolder, LinkStaysALinkAndTheBackupGoesWhereItLeads)
{
    const std::string share = PathOf("share/2026-12-08");
    fs::create_directories(share);
    fs::create_symlink(share, PathOf("latest"));
    for (int night = 0; night < 2; ++night) {
        SCOPED_TRACE(night);
        ASSERT_EQ(BackupTo(PathOf("latest")), CommandResult::Done) << ::testing::PrintToString(m_ui.events);
        EXPECT_TRUE(fs::is_symlink(PathOf("latest")));
        EXPECT_TRUE(fs::exists(share + "/manifest.txt"));
        EXPECT_EQ(FolderEntries(PathOf("share")), std::vector<std::string>{"2026-12-08"});
    }
    EXPECT_EQ(RestoreFrom(PathOf("latest")), CommandResult::Done) << ::testing::PrintToString(m_ui.events);
}

// A stick or a share mounted on the folder itself: the folder cannot be
// swapped, so the files go into a subfolder of it and the manifest is
// replaced last. A backup that fails leaves the earlier one as it was.
TEST_F(BackupFolder, WorksAtTheRootOfAMountedFileSystem)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting needs root";
    const std::string stick = PathOf("stick");
    CTmpfsMount mount(stick);
    ASSERT_TRUE(mount.Mounted());

    ASSERT_EQ(BackupTo(stick), CommandResult::Done) << ::testing::PrintToString(m_ui.events);
    const std::map<std::string, std::string> first = Tree(stick);
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 5}, ChainOf(ProgramLines(12))));

    // Cut off among the program blocks: nothing of the new one stays.
    Relink(300);
    m_sim->AddFault({FaultMode::Silent, FaultTarget::Nth, 80, 0});
    EXPECT_EQ(BackupTo(stick), CommandResult::Failed);
    EXPECT_EQ(Tree(stick), first);
    m_sim->ClearFaults();
    Relink(PATIENT_TIMEOUT_MS);
    ASSERT_EQ(RestoreFrom(stick), CommandResult::Done) << ::testing::PrintToString(m_ui.events);
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 5}), 12u) << "not in the earlier backup: left alone";

    ASSERT_EQ(BackupTo(stick), CommandResult::Done) << ::testing::PrintToString(m_ui.events);
    const std::vector<std::string> entries = FolderEntries(stick);
    ASSERT_EQ(entries.size(), 2u) << ::testing::PrintToString(entries);
    EXPECT_EQ(entries[1], "manifest.txt");
    EXPECT_EQ(entries[0].rfind("data-", 0), 0u) << "the earlier files are gone";
    EXPECT_TRUE(fs::exists(stick + "/" + entries[0] + "/program-05.frames"));
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 5}, {}));
    ASSERT_EQ(RestoreFrom(stick), CommandResult::Done) << ::testing::PrintToString(m_ui.events);
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 5}), 12u);
}

} // namespace
