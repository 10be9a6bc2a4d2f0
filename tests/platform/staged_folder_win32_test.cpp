// Tests of CStagedFolder on Windows: only our own folders replaced, nothing left beside.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/staged_folder.h"
#include "tests/support/utf8_folder.h"

namespace {

constexpr const char* MARK = "опись.txt";

struct StagedRow {
    const char* name;
    std::vector<std::string> before; // files in the target; none: no target
    bool targetExists;
    CStagedFolder::Start start;
};

// Fills the staging folder with one new file and commits it.
void CommitNewContents(CStagedFolder& staged)
{
    std::ofstream(CUtf8Folder::PathFrom(staged.Path() + "/" + MARK)) << "new";
    std::ofstream(CUtf8Folder::PathFrom(staged.Path() + "/программа 7.txt")) << "G1";
    staged.Commit();
}

TEST(StagedFolderWin32, ReplacesOnlyWhatThisProgramFilledAndLeavesNothingBeside)
{
    const StagedRow rows[] = {
        {"absent target", {}, false, CStagedFolder::Start::Ready},
        {"empty target", {}, true, CStagedFolder::Start::Ready},
        {"earlier backup", {MARK, "старая.txt"}, true, CStagedFolder::Start::Ready},
        {"folder of other files", {"письмо.doc"}, true, CStagedFolder::Start::Foreign},
    };
    for (const StagedRow& row : rows) {
        CUtf8Folder parent;
        const std::string target = parent.PathOf("резервная копия");
        if (row.targetExists)
            std::filesystem::create_directory(CUtf8Folder::PathFrom(target));
        for (const std::string& name : row.before)
            std::ofstream(CUtf8Folder::PathFrom(target + "/" + name)) << "old";
        {
            CStagedFolder staged(MARK);
            ASSERT_EQ(staged.Begin(target), row.start) << row.name;
            if (row.start == CStagedFolder::Start::Ready)
                CommitNewContents(staged);
        }
        EXPECT_EQ(parent.Names(), std::vector<std::string>{"резервная копия"})
            << row.name << ": no staging or set-aside folder is left";
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(CUtf8Folder::PathFrom(target)))
            names.push_back(CUtf8Folder::Utf8(entry.path().filename()));
        std::sort(names.begin(), names.end());
        const std::vector<std::string> expected =
            row.start == CStagedFolder::Start::Foreign ? std::vector<std::string>{"письмо.doc"}
                                                       : std::vector<std::string>{MARK, "программа 7.txt"};
        EXPECT_EQ(names, expected) << row.name;
    }
}

TEST(StagedFolderWin32, ADroppedStagingFolderGoesAndTheTargetKeepsItsFiles)
{
    CUtf8Folder parent;
    const std::string target = parent.PathOf("копия");
    std::filesystem::create_directory(CUtf8Folder::PathFrom(target));
    std::ofstream(CUtf8Folder::PathFrom(target + "/" + MARK)) << "old";
    {
        CStagedFolder staged(MARK);
        ASSERT_EQ(staged.Begin(target), CStagedFolder::Start::Ready);
        EXPECT_EQ(parent.Names().size(), 2u) << "the staging folder beside the target";
    }
    EXPECT_EQ(parent.Names(), std::vector<std::string>{"копия"});
    std::ifstream in(CUtf8Folder::PathFrom(target + "/" + MARK));
    std::string text;
    in >> text;
    EXPECT_EQ(text, "old");
}

TEST(StagedFolderWin32, AFileInTheTargetsPlaceIsRefused)
{
    CUtf8Folder parent;
    parent.Write("копия", "a file");
    CStagedFolder staged(MARK);
    EXPECT_EQ(staged.Begin(parent.PathOf("копия")), CStagedFolder::Start::Failed);
    EXPECT_EQ(staged.LastError().cause, FileErrorCause::NotFound);
    EXPECT_EQ(parent.Read("копия"), "a file");
}

} // namespace
