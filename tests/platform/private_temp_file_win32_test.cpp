// Tests of CPrivateTempFile on Windows: new files in the user's temporary folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <windows.h>

#include "platform/private_temp_file.h"
#include "tests/support/utf8_folder.h"

namespace {

// Points %TMP% (GetTempPathW's first choice) at a folder for one test.
class CTempVariable {
public:
    explicit CTempVariable(const std::string& folder)
    {
        wchar_t old[MAX_PATH + 1] = {};
        m_had = ::GetEnvironmentVariableW(L"TMP", old, MAX_PATH + 1) != 0;
        m_old = old;
        ::SetEnvironmentVariableW(L"TMP", CUtf8Folder::PathFrom(folder).wstring().c_str());
    }
    ~CTempVariable() { ::SetEnvironmentVariableW(L"TMP", m_had ? m_old.c_str() : nullptr); }
    CTempVariable(const CTempVariable&) = delete;
    CTempVariable& operator=(const CTempVariable&) = delete;

private:
    bool m_had = false;
    std::wstring m_old;
};

TEST(PrivateTempFileWin32, NewEmptyFilesInTheUsersTemporaryFolderThatGoAway)
{
    CUtf8Folder folder;
    const CTempVariable tmp(folder.PathOf("временные"));
    std::filesystem::create_directory(CUtf8Folder::PathFrom(folder.PathOf("временные")));
    std::string kept;
    {
        CPrivateTempFile first;
        CPrivateTempFile second;
        ASSERT_TRUE(first.Create()) << FileErrorMessage(first.LastError());
        ASSERT_TRUE(second.Create()) << FileErrorMessage(second.LastError());
        EXPECT_NE(first.Path(), second.Path());
        const std::filesystem::path path = CUtf8Folder::PathFrom(first.Path());
        EXPECT_EQ(path.parent_path(), CUtf8Folder::PathFrom(folder.PathOf("временные")));
        EXPECT_TRUE(std::filesystem::is_regular_file(path));
        EXPECT_EQ(std::filesystem::file_size(path), 0u);
        first.Remove();
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_TRUE(first.Path().empty());
        kept = second.Path();
    }
    EXPECT_FALSE(std::filesystem::exists(CUtf8Folder::PathFrom(kept))) << "removed with the object";
}

TEST(PrivateTempFileWin32, AMissingTemporaryFolderIsReported)
{
    CUtf8Folder folder;
    const CTempVariable tmp(folder.PathOf("нет такой"));
    CPrivateTempFile file;
    EXPECT_FALSE(file.Create());
    EXPECT_EQ(file.LastError().cause, FileErrorCause::NotFound);
    EXPECT_TRUE(file.Path().empty());
}

} // namespace
