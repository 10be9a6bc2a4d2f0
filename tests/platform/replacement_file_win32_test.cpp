// Tests of CReplacementFile on Windows: commit, drop, and a target another program holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "platform/replacement_file.h"
#include "tests/support/held_file.h"
#include "tests/support/utf8_folder.h"

namespace {

const std::vector<std::uint8_t> NEW_BYTES{'N', 'E', 'W', '\r', '\n', 0x00, 0xFF};
const std::string NEW_TEXT(NEW_BYTES.begin(), NEW_BYTES.end());

struct ReplaceRow {
    const char* name;
    const char* target;
    bool exists; // ReplaceFileW, or MoveFileExW for a new file
};

TEST(ReplacementFileWin32, CommitPutsTheNewContentInPlaceAndLeavesNoTemporaryFile)
{
    const ReplaceRow rows[] = {
        {"existing target", "деталь.prgVem730", true},
        {"new target", "деталь.prgVem730", false},
        {"existing latin target", "part.paramVem730", true},
    };
    for (const ReplaceRow& row : rows) {
        CUtf8Folder folder;
        if (row.exists)
            folder.Write(row.target, "old content");
        CReplacementFile replacement;
        ASSERT_TRUE(replacement.Begin(folder.PathOf(row.target))) << row.name;
        EXPECT_EQ(folder.Names().size(), row.exists ? 2u : 1u) << row.name << ": the temporary file";
        replacement.WriteAll(NEW_BYTES);
        EXPECT_EQ(row.exists ? folder.Read(row.target) : "", row.exists ? "old content" : "")
            << row.name << ": the target is untouched until Commit";
        replacement.Commit();
        EXPECT_EQ(folder.Read(row.target), NEW_TEXT) << row.name;
        EXPECT_EQ(folder.Names(), std::vector<std::string>{row.target}) << row.name;
    }
}

// A Read that fails drops its replacement: the operator's file stays.
TEST(ReplacementFileWin32, DroppedReplacementKeepsTheTargetAndRemovesItsTemporaryFile)
{
    CUtf8Folder folder;
    folder.Write("деталь.prgVem730", "old content");
    {
        CReplacementFile replacement;
        ASSERT_TRUE(replacement.Begin(folder.PathOf("деталь.prgVem730")));
        replacement.WriteAll(NEW_BYTES);
    }
    EXPECT_EQ(folder.Read("деталь.prgVem730"), "old content");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"деталь.prgVem730"});
}

TEST(ReplacementFileWin32, TargetHeldByAnotherProgramIsRefusedWithAMessageSayingSo)
{
    CUtf8Folder folder;
    folder.Write("деталь.prgVem730", "old content");
    const std::string target = folder.PathOf("деталь.prgVem730");
    {
        const CHeldFile editor(target, 0);
        ASSERT_TRUE(editor.Held());
        CReplacementFile replacement;
        EXPECT_FALSE(replacement.Begin(target));
        EXPECT_EQ(replacement.LastError().cause, FileErrorCause::InUse);
        EXPECT_NE(FileErrorMessage(replacement.LastError()).find("открыт в другой программе"),
                  std::string::npos);
    }
    // Held from Begin to Commit by a reader that lets others write but not
    // rename or delete.
    CReplacementFile replacement;
    ASSERT_TRUE(replacement.Begin(target));
    replacement.WriteAll(NEW_BYTES);
    const CHeldFile viewer(target, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(viewer.Held());
    try {
        replacement.Commit();
        ADD_FAILURE() << "the held target was replaced";
    } catch (const FileException& e) {
        EXPECT_EQ(e.Error().cause, FileErrorCause::InUse) << e.what();
        EXPECT_EQ(e.Error().path, target);
    }
    EXPECT_EQ(folder.Read("деталь.prgVem730"), "old content");
}

} // namespace
