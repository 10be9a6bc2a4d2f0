// Whole-controller backup and restore against the simulator: what the
// backup folder holds, that a restore puts back the very same controller
// memory, and that nothing is written when the backup or the controller is
// not the one expected.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <regex>

#include "backup/backup_commands.h"
#include "backup/backup_messages.h"
#include "transfer/messages.h"
#include "backup/sha256.h"
#include "sim/controller_store.h"
#include "tests/transfer/transfer_harness.h"

namespace fs = std::filesystem;

namespace {

using Kind = BackupItemId::Kind;

constexpr std::size_t SLOT = 32;

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

// Every part of the controller's memory as its store keeps it, a program
// never written (no file) as the empty area it stands for.
std::map<std::string, std::string> StoreImage(const std::string& folder)
{
    std::vector<ChangedUnit> units{{StoreUnit::Descriptor, {}},
                                   {StoreUnit::GeneralParams, {}},
                                   {StoreUnit::AxisParams, {}}};
    for (unsigned n = 1; n <= 20; ++n)
        units.push_back({StoreUnit::Program, {LinkFile::Program, n}});
    for (unsigned n = 1; n <= 50; ++n)
        units.push_back({StoreUnit::Program, {LinkFile::Subprogram, n}});
    std::map<std::string, std::string> image;
    for (const ChangedUnit& unit : units) {
        const std::string name = CControllerStore::FileName(unit);
        if (fs::exists(folder + "/" + name)) {
            image[name] = ReadWholeFile(folder + "/" + name);
            continue;
        }
        const CControllerModel::Slot empty = CControllerModel::EmptySlot();
        std::string area;
        for (unsigned s = 0; s < CControllerModel::SlotCount(unit.program.kind); ++s)
            area.append(empty.begin(), empty.end());
        image[name] = area;
    }
    return image;
}

// The names of the parts in which two store images differ.
std::vector<std::string> Differences(const std::map<std::string, std::string>& a,
                                     const std::map<std::string, std::string>& b)
{
    std::vector<std::string> names;
    for (const auto& [name, bytes] : a)
        if (b.at(name) != bytes)
            names.push_back(name);
    return names;
}

class Backup : public TransferTest {
protected:
    void SetUp() override { Start(); }

    // Programs of 0, 1, 7, 253 and 500 frames written by the Write command,
    // a subprogram with disabled words, parameters unlike the seed.
    void LoadController()
    {
        const std::pair<const char*, std::size_t> programs[] = {{"1", 1}, {"2", 7}, {"3", 500}, {"4", 253}};
        for (const auto& [number, lines] : programs) {
            const std::string text = PathOf(std::string("p") + number + ".prgVem730");
            WriteWholeFile(text, CrLfText(ProgramLines(lines)));
            ASSERT_EQ(Write(DataKind::Program, number, text), CommandResult::Done) << number;
        }
        std::vector<ProgramFrame> sub = ChainOf(ProgramLines(5));
        sub[1].setActive(0x00);
        sub[3].setActive(0x00);
        ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Subprogram, 9}, sub));
        ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Subprogram, 1}, {}));
        std::vector<std::uint8_t> general = m_sim->GeneralParams();
        for (std::size_t i = 0; i < general.size(); ++i)
            general[i] = static_cast<std::uint8_t>(i * 7 + 3);
        ASSERT_TRUE(m_sim->SetGeneralParams(general));
        m_ui.events.clear();
        m_ui.details.clear();
    }

    CBackupCommands& Commands()
    {
        m_backup = std::make_unique<CBackupCommands>(*m_link, m_info, Buffer(), m_ui);
        return *m_backup;
    }
    CommandResult BackupTo(const std::string& folder) { return Commands().Backup(folder); }
    CommandResult RestoreFrom(const std::string& folder, RestoreOptions options = {})
    {
        return Commands().Restore(folder, options);
    }

    // Requests logged since `mark` requests.
    std::vector<std::string> RequestsSince(std::size_t mark) const
    {
        std::vector<std::string> all = RequestSummaries();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(mark, all.size())), all.end()};
    }

    BackupManifest Manifest(const std::string& folder) const
    {
        std::string error;
        const std::optional<BackupManifest> manifest =
            ParseManifest(ReadWholeFile(folder + "/" + MANIFEST_NAME), error);
        EXPECT_TRUE(manifest) << error;
        return manifest.value_or(BackupManifest{});
    }

    // Rewrites one file of a backup and its checksum in the manifest, as a
    // backup of another controller would hold it.
    void ReplaceConsistently(const std::string& folder, const std::string& file, const std::string& bytes)
    {
        const std::string old = Sha256Hex(Bytes(ReadWholeFile(folder + "/" + file)));
        WriteWholeFile(folder + "/" + file, bytes);
        std::string manifest = ReadWholeFile(folder + "/" + MANIFEST_NAME);
        manifest.replace(manifest.find(old), old.size(), Sha256Hex(Bytes(bytes)));
        WriteWholeFile(folder + "/" + MANIFEST_NAME, manifest);
    }

    std::unique_ptr<CBackupCommands> m_backup;
};

TEST_F(Backup, FolderHoldsEveryItemItsFramesTextAndChecksums)
{
    LoadController();
    const std::string dir = PathOf("backup");
    ASSERT_EQ(BackupTo(dir), CommandResult::Done) << ::testing::PrintToString(m_ui.events);

    const BackupManifest manifest = Manifest(dir);
    EXPECT_EQ(manifest.descriptor.bytes, m_sim->Descriptor().bytes);
    ASSERT_EQ(manifest.entries.size(), 71u);
    const std::map<std::string, unsigned> expectedFrames = {
        {"program:1", 1}, {"program:2", 7}, {"program:3", 500}, {"program:4", 253}, {"subprogram:9", 5}};
    std::vector<std::string> expectedNames{MANIFEST_NAME, ParameterFileName()};
    const std::map<std::string, std::string> store = StoreImage(PathOf("store"));
    for (const BackupEntry& entry : manifest.entries) {
        const std::string word = ItemWord(entry.id);
        if (entry.id.kind == Kind::Parameters) {
            EXPECT_EQ(ReadWholeFile(dir + "/" + entry.file), ParameterFileOf(*m_sim));
            EXPECT_EQ(entry.sha256, Sha256Hex(Bytes(ParameterFileOf(*m_sim))));
            continue;
        }
        const auto it = expectedFrames.find(word);
        EXPECT_EQ(entry.frames, it == expectedFrames.end() ? 0u : it->second) << word;
        if (entry.Empty())
            continue;
        // The frames as the controller holds them, slot for slot.
        const std::string frames = ReadWholeFile(dir + "/" + entry.file);
        const std::string storeName = CControllerStore::FileName(
            {StoreUnit::Program, {entry.id.kind == Kind::Program ? LinkFile::Program : LinkFile::Subprogram,
                                  entry.id.number}});
        EXPECT_EQ(frames, store.at(storeName).substr(0, entry.frames * SLOT)) << word;
        EXPECT_EQ(entry.sha256, Sha256Hex(Bytes(frames))) << word;
        EXPECT_EQ(entry.textSha256, Sha256Hex(Bytes(ReadWholeFile(dir + "/" + entry.textFile)))) << word;
        expectedNames.push_back(entry.file);
        expectedNames.push_back(entry.textFile);
    }
    std::sort(expectedNames.begin(), expectedNames.end());
    EXPECT_EQ(FolderEntries(dir), expectedNames) << "empty items have no file";

    // One bar over the whole job, ending full; one message at the end.
    const std::vector<std::string> progress = m_ui.Progress();
    ASSERT_FALSE(progress.empty());
    const std::string lastRange = *std::find_if(progress.rbegin(), progress.rend(),
                                                [](const std::string& e) { return e.rfind("range", 0) == 0; });
    // 70 size queries, 2 + 4 parameter blocks, 1 + 2 + 100 + 51 + 1 program blocks.
    EXPECT_EQ(lastRange, "range 0 231");
    EXPECT_EQ(progress.back(), "pos 231");
    int previous = 0;
    for (const std::string& e : progress) {
        if (e.rfind("pos ", 0) != 0)
            continue;
        const int pos = std::stoi(e.substr(4));
        EXPECT_GE(pos, previous) << "the bar never goes back";
        previous = pos;
    }
    EXPECT_EQ(m_ui.events.back(), std::string("info ") + BackupMsg::BACKUP_DONE);
    EXPECT_NE(m_ui.details.back().find("слов: 766"), std::string::npos) << m_ui.details.back();
    // The text is the Read command's, disabled words included.
    ASSERT_EQ(Read(DataKind::Subprogram, "9", PathOf("sub9")), CommandResult::Done);
    const std::string text = ReadWholeFile(dir + "/subprogram-09.prgVem730");
    EXPECT_EQ(text, ReadWholeFile(PathOf("sub9.prgVem730")));
    EXPECT_EQ(text.substr(text.find("\r\n") + 2, 2), "//") << "the second word is disabled";
    EXPECT_EQ(ReadWholeFile(dir + "/program-03.prgVem730"), CrLfText(ProgramLines(500)));

    EXPECT_EQ(FolderEntries(m_folder.Path()),
              (std::vector<std::string>{"backup", "line.log", "p1.prgVem730", "p2.prgVem730", "p3.prgVem730",
                                        "p4.prgVem730", "store", "sub9.prgVem730"}))
        << "no staging folder is left beside it";
}

TEST_F(Backup, RestoreIntoFreshStoreGivesTheSameMemory)
{
    LoadController();
    const std::string dir = PathOf("backup");
    ASSERT_EQ(BackupTo(dir), CommandResult::Done);
    const std::map<std::string, std::string> original = StoreImage(PathOf("store"));

    // A fresh controller with its sample programs, in place of the first.
    m_link.reset();
    m_sim.reset();
    SimOptions options;
    options.storeDir = PathOf("fresh");
    options.logPath = PathOf("line.log");
    m_sim = std::make_unique<CSimulator>(options);
    std::string error;
    ASSERT_TRUE(m_sim->Start(error)) << error;
    Relink(PATIENT_TIMEOUT_MS);

    // Without --exact the sample subprogram 1, empty in the backup, stays.
    ASSERT_EQ(RestoreFrom(dir), CommandResult::Done) << ::testing::PrintToString(m_ui.events);
    EXPECT_EQ(Differences(original, StoreImage(PathOf("fresh"))),
              std::vector<std::string>{"subprogram-01.bin"});

    RestoreOptions exact;
    exact.exact = true;
    exact.verify = true;
    m_ui.events.clear();
    ASSERT_EQ(RestoreFrom(dir, exact), CommandResult::Done) << ::testing::PrintToString(m_ui.events);
    // Parameters 6 blocks, programs a delete and their blocks, each twice
    // with the read-back's size query; 65 deletes of the empty ones.
    const std::vector<std::string> progress = m_ui.Progress();
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), "range 0 397");
    EXPECT_EQ(progress.back(), "pos 397");
    EXPECT_EQ(Differences(original, StoreImage(PathOf("fresh"))), std::vector<std::string>{});
    EXPECT_EQ(m_ui.events.back(), std::string("info ") + BackupMsg::RESTORE_DONE);
    EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{});
}

struct RefusalRow {
    const char* name;
    std::function<void(CSimulator&, const std::string& dir)> spoil;
    const char* warning;
    const char* detail = ""; // a part of the detail
};

constexpr std::uintmax_t TERABYTE = std::uintmax_t{1} << 40;

TEST_F(Backup, RestoreRefusedWithNothingSentAfterTheDescriptor)
{
    const RefusalRow rows[] = {
        {"a frames file changed",
         [](CSimulator&, const std::string& dir) {
             std::string bytes = ReadWholeFile(dir + "/program-03.frames");
             bytes[100] ^= 0x01;
             WriteWholeFile(dir + "/program-03.frames", bytes);
         },
         BackupMsg::BACKUP_DAMAGED},
        {"a text file changed",
         [](CSimulator&, const std::string& dir) {
             WriteWholeFile(dir + "/program-02.prgVem730", CrLfText(ProgramLines(6)));
         },
         BackupMsg::BACKUP_DAMAGED},
        {"a frames file missing", [](CSimulator&, const std::string& dir) { fs::remove(dir + "/subprogram-09.frames"); },
         BackupMsg::BACKUP_DAMAGED},
        {"the manifest cut short",
         [](CSimulator&, const std::string& dir) {
             const std::string manifest = ReadWholeFile(dir + "/manifest.txt");
             WriteWholeFile(dir + "/manifest.txt", manifest.substr(0, manifest.size() - 4));
         },
         BackupMsg::BACKUP_DAMAGED},
        {"no manifest", [](CSimulator&, const std::string& dir) { fs::remove(dir + "/manifest.txt"); },
         BackupMsg::BACKUP_MISSING},
        {"the controller's descriptor changed",
         [](CSimulator& sim, const std::string&) {
             ControllerInfo other = sim.Descriptor();
             other.setAxisCount(3);
             ASSERT_TRUE(sim.SetDescriptor(other));
         },
         BackupMsg::DESCRIPTOR_MISMATCH},
        // Whole and consistent, but more than the subprogram area holds.
        {"a subprogram longer than its area",
         [this](CSimulator&, const std::string& dir) {
             const std::string frames = ReadWholeFile(dir + "/subprogram-09.frames");
             std::string longer;
             while (longer.size() < 120 * SLOT)
                 longer += frames;
             ReplaceConsistently(dir, "subprogram-09.frames", longer.substr(0, 120 * SLOT));
             std::string manifest = ReadWholeFile(dir + "/manifest.txt");
             manifest.replace(manifest.find("subprogram 9 5 "), 15, "subprogram 9 120 ");
             WriteWholeFile(dir + "/manifest.txt", manifest);
         },
         Msg::PROGRAM_SIZE, "Подпрограмма 9: кадров в копии 120, а в области помещается 100."},
        {"a frames file of a terabyte",
         [](CSimulator&, const std::string& dir) { fs::resize_file(dir + "/program-03.frames", TERABYTE); },
         BackupMsg::BACKUP_DAMAGED, "program-03.frames: неверный размер"},
        {"a manifest of a terabyte",
         [](CSimulator&, const std::string& dir) { fs::resize_file(dir + "/manifest.txt", TERABYTE); },
         BackupMsg::BACKUP_DAMAGED, "manifest.txt: неверный размер"},
    };
    LoadController();
    for (const RefusalRow& row : rows) {
        const std::string dir = PathOf(std::string("backup ") + row.name);
        ASSERT_EQ(BackupTo(dir), CommandResult::Done) << row.name;
        // A controller that no longer holds what the backup does, so that a
        // write would show.
        ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 3}, ChainOf(ProgramLines(2))));
        row.spoil(*m_sim, dir);
        const std::map<std::string, std::string> before = StoreImage(PathOf("store"));
        const std::size_t mark = RequestSummaries().size();
        m_ui.events.clear();
        m_ui.details.clear();

        EXPECT_EQ(RestoreFrom(dir), CommandResult::Failed) << row.name;
        EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{row.warning}) << row.name;
        ASSERT_EQ(m_ui.details.size(), 1u);
        EXPECT_NE(m_ui.details[0].find("Ничего не записано"), std::string::npos)
            << row.name << ": " << m_ui.details[0];
        EXPECT_NE(m_ui.details[0].find(row.detail), std::string::npos) << row.name << ": " << m_ui.details[0];
        const std::vector<std::string> sent = RequestsSince(mark);
        EXPECT_TRUE(sent.empty() || sent == std::vector<std::string>{"R 0 1 0"})
            << row.name << ": " << ::testing::PrintToString(sent);
        EXPECT_EQ(Differences(before, StoreImage(PathOf("store"))), std::vector<std::string>{}) << row.name;
        ASSERT_TRUE(m_sim->SetDescriptor(DefaultDescriptor()));
    }
}

struct MidBackupRow {
    const char* name;
    std::uint32_t nth; // counted from the descriptor request
    const char* warning;
    const char* item;
};

TEST_F(Backup, FailureMidBackupLeavesTheEarlierBackupAsItWas)
{
    // Request 1 is the descriptor, 2-21 the programs' size queries, 22-71
    // the subprograms', 72-78 the parameters, 79 program 1, 80-81 program 2,
    // 82-181 program 3.
    const MidBackupRow rows[] = {
        {"size query of subprogram 9", 30, Msg::SIZE_QUERY_FAILED, "Подпрограмма 9"},
        {"an axis block", 76, Msg::AXIS_READ_FAILED, "Параметры"},
        {"a block of program 3", 100, Msg::PROGRAM_READ_FAILED, "Программа 3"},
    };
    LoadController();
    const std::string dir = PathOf("backup");
    ASSERT_EQ(BackupTo(dir), CommandResult::Done);
    const std::map<std::string, std::string> earlier = FolderFiles(dir);
    // The controller changes; the earlier backup must not.
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 5}, ChainOf(ProgramLines(3))));
    Relink(300);
    for (const MidBackupRow& row : rows) {
        m_ui.events.clear();
        m_ui.details.clear();
        m_sim->ClearFaults();
        m_sim->AddFault({FaultMode::Silent, FaultTarget::Nth, row.nth, 0});
        EXPECT_EQ(BackupTo(dir), CommandResult::Failed) << row.name;
        EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{row.warning}) << row.name;
        ASSERT_FALSE(m_ui.details.empty());
        EXPECT_EQ(m_ui.details.back().rfind(row.item, 0), 0u) << row.name << ": " << m_ui.details.back();
        EXPECT_EQ(FolderFiles(dir), earlier) << row.name;
        EXPECT_EQ(FolderEntries(m_folder.Path()),
                  (std::vector<std::string>{"backup", "line.log", "p1.prgVem730", "p2.prgVem730",
                                            "p3.prgVem730", "p4.prgVem730", "store"}))
            << row.name << ": the staging folder is removed";
    }
    // With no earlier backup, no folder at all.
    m_sim->ClearFaults();
    m_sim->AddFault({FaultMode::Silent, FaultTarget::Nth, 100, 0});
    EXPECT_EQ(BackupTo(PathOf("new")), CommandResult::Failed);
    EXPECT_FALSE(fs::exists(PathOf("new")));
}

TEST_F(Backup, FrameTheReadCommandCannotDecodeStopsTheBackup)
{
    LoadController();
    const std::string dir = PathOf("backup");
    ASSERT_EQ(BackupTo(dir), CommandResult::Done);
    const std::map<std::string, std::string> earlier = FolderFiles(dir);
    std::vector<ProgramFrame> frames = ChainOf(ProgramLines(4));
    frames[1].setCode(0x7F); // no word has this code
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 6}, frames));
    m_ui.events.clear();
    m_ui.details.clear();
    EXPECT_EQ(BackupTo(dir), CommandResult::Failed);
    EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{Msg::DECODE_FAILED});
    ASSERT_EQ(m_ui.details.size(), 1u);
    EXPECT_EQ(m_ui.details[0].rfind("Программа 6", 0), 0u) << m_ui.details[0];
    EXPECT_EQ(FolderFiles(dir), earlier);
}

TEST_F(Backup, RefusesAFolderOfOtherFiles)
{
    fs::create_directory(PathOf("documents"));
    WriteWholeFile(PathOf("documents/letter.txt"), "keep me");
    EXPECT_EQ(BackupTo(PathOf("documents")), CommandResult::Failed);
    EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{BackupMsg::FOLDER_FOREIGN});
    EXPECT_EQ(FolderEntries(PathOf("documents")), std::vector<std::string>{"letter.txt"});
}

TEST_F(Backup, OnlyRestoresTheNamedItems)
{
    LoadController();
    const std::string dir = PathOf("backup");
    ASSERT_EQ(BackupTo(dir), CommandResult::Done);
    const std::vector<ProgramFrame> program2 = m_sim->ProgramFrames({LinkFile::Program, 2});
    const std::vector<ProgramFrame> sub9 = m_sim->ProgramFrames({LinkFile::Subprogram, 9});
    const std::vector<std::uint8_t> general = m_sim->GeneralParams();

    // The controller changes everywhere.
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 2}, ChainOf(ProgramLines(3))));
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 3}, {}));
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Subprogram, 9}, ChainOf(ProgramLines(8))));
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 7}, ChainOf(ProgramLines(4))));
    std::vector<std::uint8_t> changed = general;
    changed[0] ^= 0xFF;
    ASSERT_TRUE(m_sim->SetGeneralParams(changed));

    const std::size_t mark = RequestSummaries().size();
    RestoreOptions only;
    only.only = std::vector<BackupItemId>{{Kind::Program, 2}, {Kind::Subprogram, 9}, {Kind::Program, 7}};
    ASSERT_EQ(RestoreFrom(dir, only), CommandResult::Done) << ::testing::PrintToString(m_ui.events);
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Program, 2}), program2);
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Subprogram, 9}), sub9);
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 3}), 0u) << "not named: left alone";
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 7}), 4u) << "empty in the backup, no --exact";
    EXPECT_EQ(m_sim->GeneralParams(), changed);
    // Program 2 is file 259, subprogram 9 file 2052.
    EXPECT_EQ(RequestsSince(mark), (std::vector<std::string>{"R 0 1 0", "W 259 0 0", "W 259 0 160", "W 259 5 160",
                                                             "W 2052 0 0", "W 2052 0 160"}));

    only.exact = true;
    ASSERT_EQ(RestoreFrom(dir, only), CommandResult::Done);
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 7}), 0u) << "--exact deletes it";
}

TEST_F(Backup, VerifyFindsWhatTheControllerDidNotKeep)
{
    LoadController();
    const std::string dir = PathOf("backup");
    ASSERT_EQ(BackupTo(dir), CommandResult::Done);
    // Frame 4 of program 2 marked as the last: the controller's chain ends
    // there, so three of the seven frames sent are not part of its program.
    std::string frames = ReadWholeFile(dir + "/program-02.frames");
    frames[3 * SLOT] = 2;
    ReplaceConsistently(dir, "program-02.frames", frames);
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 3}, ChainOf(ProgramLines(1))));

    RestoreOptions verify;
    verify.verify = true;
    EXPECT_EQ(RestoreFrom(dir, verify), CommandResult::Failed);
    EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{Msg::VERIFY_DIFFERS});
    EXPECT_EQ(m_ui.details.back().rfind("Программа 2", 0), 0u) << m_ui.details.back();
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 3}), 1u)
        << "the job stops at the item that differs; program 3 is not written";

    m_ui.events.clear();
    EXPECT_EQ(RestoreFrom(dir), CommandResult::Done) << "without --verify nothing is read back";
    EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>{});
}

TEST_F(Backup, ConfirmationNamesWhatWillBeReplaced)
{
    LoadController();
    const std::string dir = PathOf("backup");
    ASSERT_EQ(BackupTo(dir), CommandResult::Done);
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 2}, ChainOf(ProgramLines(3))));
    const std::size_t mark = RequestSummaries().size();

    RestoreOptions ask;
    ask.confirm = true;
    ask.exact = true;
    m_ui.answers = {false};
    m_ui.details.clear();
    EXPECT_EQ(RestoreFrom(dir, ask), CommandResult::Cancelled);
    EXPECT_EQ(RequestsSince(mark), std::vector<std::string>{"R 0 1 0"}) << "No: nothing written";
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 2}), 3u);
    ASSERT_EQ(m_ui.details.size(), 1u);
    const std::string& detail = m_ui.details[0];
    // The backup's time as a person reads it here, not the manifest's UTC.
    EXPECT_TRUE(std::regex_search(detail, std::regex(R"(^Копия от \d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\n)")))
        << detail;
    EXPECT_NE(detail.find("Будут заменены: параметры; программы 1–4; подпрограммы 9"), std::string::npos)
        << detail;
    EXPECT_NE(detail.find("Будут удалены: программы 5–20; подпрограммы 1–8, 10–50"), std::string::npos)
        << detail;

    m_ui.answers = {true};
    EXPECT_EQ(RestoreFrom(dir, ask), CommandResult::Done);
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 2}), 7u);
}

} // namespace
