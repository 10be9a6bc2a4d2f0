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

std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(CUtf8Folder::PathFrom(folder)))
        names.push_back(CUtf8Folder::Utf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

// Fills the staging folder with one new file and commits it with a mark
// that names where the files ended up.
void CommitNewContents(CStagedFolder& staged, const std::vector<std::string>& retired)
{
    std::ofstream(CUtf8Folder::PathFrom(staged.Path() + "/программа 7.txt")) << "G1";
    staged.Commit(MARK, [](const std::string& subfolder) { return "new " + subfolder; }, retired);
}

// A new folder gets the files directly; an existing one cannot be swapped
// there, so the files go into a subfolder of it and the mark comes last.
TEST(StagedFolderWin32, NewFolderTakesTheFilesAnExistingOneASubfolder)
{
    CUtf8Folder parent;
    const std::string fresh = parent.PathOf("новая копия");
    {
        CStagedFolder staged;
        ASSERT_TRUE(staged.Begin(fresh));
        CommitNewContents(staged, {});
    }
    EXPECT_EQ(NamesIn(fresh), (std::vector<std::string>{MARK, "программа 7.txt"}));

    const std::string earlier = parent.PathOf("копия");
    std::filesystem::create_directory(CUtf8Folder::PathFrom(earlier));
    std::ofstream(CUtf8Folder::PathFrom(earlier + "/" + MARK)) << "old";
    std::ofstream(CUtf8Folder::PathFrom(earlier + "/старая.txt")) << "old";
    {
        CStagedFolder staged;
        ASSERT_TRUE(staged.Begin(earlier));
        CommitNewContents(staged, {"старая.txt"});
    }
    EXPECT_EQ(parent.Names().size(), 2u) << "no staging folder is left beside";
    const std::vector<std::string> names = NamesIn(earlier);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].rfind(STAGED_SUBFOLDER_PREFIX, 0), 0u) << names[0];
    EXPECT_EQ(names[1], MARK);
    EXPECT_EQ(NamesIn(earlier + "/" + names[0]), std::vector<std::string>{"программа 7.txt"});
    std::ifstream in(CUtf8Folder::PathFrom(earlier + "/" + MARK));
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "new " + names[0]);
}

TEST(StagedFolderWin32, ADroppedStagingFolderGoesAndTheTargetKeepsItsFiles)
{
    CUtf8Folder parent;
    const std::string target = parent.PathOf("копия");
    std::filesystem::create_directory(CUtf8Folder::PathFrom(target));
    std::ofstream(CUtf8Folder::PathFrom(target + "/" + MARK)) << "old";
    {
        CStagedFolder staged;
        ASSERT_TRUE(staged.Begin(target));
        EXPECT_EQ(parent.Names().size(), 2u) << "the staging folder beside the target";
    }
    EXPECT_EQ(parent.Names(), std::vector<std::string>{"копия"});
    std::ifstream in(CUtf8Folder::PathFrom(target + "/" + MARK));
    std::string text;
    in >> text;
    EXPECT_EQ(text, "old");
}

TEST(StagedFolderWin32, AFileInTheTargetsPlaceIsNotAFolder)
{
    CUtf8Folder parent;
    parent.Write("копия", "a file");
    EXPECT_EQ(LookAtFolderTarget(parent.PathOf("копия")).kind, FolderTarget::Kind::NotAFolder);
    EXPECT_EQ(parent.Read("копия"), "a file");
}

} // namespace
