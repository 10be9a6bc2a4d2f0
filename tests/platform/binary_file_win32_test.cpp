// Tests of CBinaryFile on Windows: Cyrillic names, identities, devices and held files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include <windows.h>

#include "platform/binary_file.h"
#include "platform/file_error.h"
#include "platform/win32_text.h"
#include "tests/support/held_file.h"
#include "tests/support/utf8_folder.h"

namespace {

struct NameRow {
    const char* name;
    const char* fileName;
};

// The narrow calls would have read these names through the ANSI code page.
TEST(BinaryFileWin32, CyrillicNamesReachTheDiskAsTheyAre)
{
    const NameRow rows[] = {
        {"cyrillic", "Деталь_7.prgVem730"},
        {"cyrillic with spaces and a sign", "Вал шлицевой №2.paramVem730"},
        {"latin with diacritics", "Fräse.prgVem730"},
    };
    for (const NameRow& row : rows) {
        CUtf8Folder folder;
        const std::string path = folder.PathOf(row.fileName);
        const std::vector<std::uint8_t> bytes{0x47, 0x31, 0x0D, 0x0A, 0xFF};
        CBinaryFile file;
        ASSERT_TRUE(file.Open(path, CBinaryFile::Mode::CreateReadWrite)) << row.name;
        file.Write(bytes);
        file.Close();
        EXPECT_EQ(folder.Names(), std::vector<std::string>{row.fileName}) << row.name;
        EXPECT_TRUE(FileExists(path)) << row.name;

        ASSERT_TRUE(file.Open(path, CBinaryFile::Mode::Read)) << row.name;
        std::vector<std::uint8_t> back(16);
        back.resize(file.Read(back));
        EXPECT_EQ(back, bytes) << row.name;
        EXPECT_EQ(file.Length(), bytes.size()) << row.name;
        file.Close();

        EXPECT_TRUE(RemoveFile(path)) << row.name;
        EXPECT_FALSE(FileExists(path)) << row.name;
    }
}

// Every inode number reads as 0 in the Windows C library, which made any
// two files "the same file".
TEST(BinaryFileWin32, IdentityTellsTwoFilesApartAndKnowsOneFileByTwoNames)
{
    CUtf8Folder folder;
    folder.Write("программа.prgVem730", "G1\r\n");
    folder.Write("образ.img", "other");
    const std::string text = folder.PathOf("программа.prgVem730");
    const auto first = IdentityOf(text);
    const auto second = IdentityOf(folder.PathOf("образ.img"));
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(IdentityOf(folder.Path() + "\\.\\программа.prgVem730"), first);
    EXPECT_EQ(IdentityOf(folder.Path() + "/программа.prgVem730"), first);
    EXPECT_FALSE(IdentityOf(folder.PathOf("нет такого")));
}

TEST(BinaryFileWin32, DevicesAndFoldersAreNotFiles)
{
    CUtf8Folder folder;
    CBinaryFile file;
    for (const CBinaryFile::Mode mode : {CBinaryFile::Mode::Read, CBinaryFile::Mode::CreateWrite}) {
        EXPECT_FALSE(file.Open("NUL", mode));
        EXPECT_EQ(file.LastError().cause, FileErrorCause::NotRegular);
    }
    EXPECT_FALSE(file.Open(folder.Path(), CBinaryFile::Mode::Read));
    EXPECT_EQ(file.LastError().cause, FileErrorCause::BadPath);
    EXPECT_FALSE(file.Open(folder.PathOf("нет.prgVem730"), CBinaryFile::Mode::Read));
    EXPECT_EQ(file.LastError().cause, FileErrorCause::NotFound);
}

TEST(BinaryFileWin32, FileHeldByAnotherProgramSaysSo)
{
    CUtf8Folder folder;
    folder.Write("деталь.prgVem730", "G1\r\n");
    const std::string path = folder.PathOf("деталь.prgVem730");
    const CHeldFile editor(path, 0);
    ASSERT_TRUE(editor.Held());
    CBinaryFile file;
    EXPECT_FALSE(file.Open(path, CBinaryFile::Mode::Read));
    EXPECT_EQ(file.LastError().cause, FileErrorCause::InUse);
    EXPECT_EQ(FileErrorMessage(file.LastError()),
              "Файл " + path + " открыт в другой программе. Закройте его там и повторите.");
}

TEST(FileErrorWin32, SystemErrorsKeepTheirCauses)
{
    struct Row {
        const char* name;
        unsigned long input;
        FileErrorCause expected;
    };
    const Row rows[] = {
        {"missing file", ERROR_FILE_NOT_FOUND, FileErrorCause::NotFound},
        {"missing folder", ERROR_PATH_NOT_FOUND, FileErrorCause::NotFound},
        {"bad name", ERROR_INVALID_NAME, FileErrorCause::BadPath},
        {"access", ERROR_ACCESS_DENIED, FileErrorCause::AccessDenied},
        {"sharing", ERROR_SHARING_VIOLATION, FileErrorCause::InUse},
        {"lock", ERROR_LOCK_VIOLATION, FileErrorCause::InUse},
        {"disk full", ERROR_DISK_FULL, FileErrorCause::DiskFull},
        {"handles", ERROR_TOO_MANY_OPEN_FILES, FileErrorCause::TooManyOpenFiles},
        {"device", ERROR_CRC, FileErrorCause::HardwareIo},
        {"unknown", ERROR_NO_MORE_ITEMS, FileErrorCause::Generic},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FileErrorCauseOf(ErrnoOfSystemError(row.input)), row.expected) << row.name;
}

} // namespace
