// Tests of CBinaryFile: the cache, deferred writes, open failures and a full disk.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <random>
#include <vector>

#include "platform/binary_file.h"
#include "tests/support/posix_compat.h"

namespace {

namespace fs = std::filesystem;

class BinaryFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = (fs::temp_directory_path() / "vem-binfile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string PathOf(const char* name) const { return (m_dir / name).string(); }

    fs::path m_dir;
};

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t first)
{
    std::vector<std::uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

// The image scans slots a byte at a time between writes; the read cache must
// never show stale bytes, whichever way a write meets it.
TEST_F(BinaryFileTest, ReadsSeeEveryEarlierWrite)
{
    CBinaryFile file;
    ASSERT_TRUE(file.Open(PathOf("img"), CBinaryFile::Mode::CreateReadWrite));
    const auto base = Pattern(8000, 0);
    file.Write(base);

    std::uint8_t byte = 0;
    file.Seek(100);
    ASSERT_EQ(file.Read({&byte, 1}), 1u); // fills the cache with the file's 8000 bytes
    EXPECT_EQ(byte, 100);

    const auto inside = Pattern(16, 0xA0);
    file.Seek(96);
    file.Write(inside); // inside the cache
    const auto beyond = Pattern(16, 0xC0);
    file.Seek(20000);
    file.Write(beyond); // grows the file past the cache, leaving a hole

    std::vector<std::uint8_t> got(32);
    file.Seek(96);
    ASSERT_EQ(file.Read(got), got.size());
    EXPECT_EQ(got[0], 0xA0);
    EXPECT_EQ(got[15], 0xAF);
    EXPECT_EQ(got[16], 112);

    file.Seek(7990);
    ASSERT_EQ(file.Read(got), got.size()) << "the hole after the old end reads as zeros";
    EXPECT_EQ(got[9], static_cast<std::uint8_t>(7999 & 0xFF));
    EXPECT_EQ(got[10], 0);

    file.Seek(20000);
    std::vector<std::uint8_t> tail(64);
    EXPECT_EQ(file.Read(tail), 16u) << "a read stops at the end of the file";
    EXPECT_EQ(tail[0], 0xC0);
    EXPECT_EQ(file.Length(), 20016u);
}

TEST_F(BinaryFileTest, ReadAcrossSeveralCacheWindows)
{
    CBinaryFile file;
    ASSERT_TRUE(file.Open(PathOf("big"), CBinaryFile::Mode::CreateReadWrite));
    const auto data = Pattern(50000, 7);
    file.Write(data);
    file.Seek(0);
    std::vector<std::uint8_t> back(60000);
    EXPECT_EQ(file.Read(back), data.size());
    back.resize(data.size());
    EXPECT_EQ(back, data);
}

TEST_F(BinaryFileTest, CreateEmptiesAndWriteExistingKeeps)
{
    const std::string path = PathOf("keep");
    {
        CBinaryFile file;
        ASSERT_TRUE(file.Open(path, CBinaryFile::Mode::CreateWrite));
        file.Write(Pattern(10, 1));
        file.Close();
    }
    {
        CBinaryFile file;
        ASSERT_TRUE(file.Open(path, CBinaryFile::Mode::WriteExisting));
        file.Close();
    }
    CBinaryFile reader;
    ASSERT_TRUE(reader.Open(path, CBinaryFile::Mode::Read));
    EXPECT_EQ(reader.Length(), 10u);
    reader.Close();

    CBinaryFile again;
    ASSERT_TRUE(again.Open(path, CBinaryFile::Mode::CreateReadWrite));
    EXPECT_EQ(again.Length(), 0u);
}

TEST_F(BinaryFileTest, OpenFailuresSayWhyAndWhich)
{
    CBinaryFile file;
    const std::string missing = PathOf("no/such/folder/file");
    EXPECT_FALSE(file.Open(missing, CBinaryFile::Mode::Read));
    EXPECT_EQ(file.LastError().cause, FileErrorCause::NotFound);
    EXPECT_EQ(file.LastError().path, missing);
    EXPECT_FALSE(file.Open(m_dir.string(), CBinaryFile::Mode::Read));
    EXPECT_EQ(file.LastError().cause, FileErrorCause::BadPath);
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(BinaryFileTest, DiskFullThrowsWithTheFileName)
{
    CBinaryFile file;
    if (!file.Open("/dev/full", CBinaryFile::Mode::WriteExisting))
        GTEST_SKIP() << "/dev/full is not available";
    const auto data = Pattern(64, 0);
    try {
        file.Write(data);
        FAIL() << "a write to a full device must not pass";
    } catch (const FileException& e) {
        EXPECT_EQ(e.Error().cause, FileErrorCause::DiskFull);
        EXPECT_STREQ(e.what(), "Нет места на диске для файла /dev/full.");
    }
}

// Deferred writes must leave the same bytes on the disk, and show the same
// bytes to reads and Length, as writes that go straight through, whatever
// mix of small, large, scattered and file-growing writes comes.
TEST_F(BinaryFileTest, DeferredWritesMatchWritesStraightThrough)
{
    CBinaryFile direct;
    CBinaryFile deferred;
    ASSERT_TRUE(direct.Open(PathOf("direct"), CBinaryFile::Mode::CreateReadWrite));
    ASSERT_TRUE(deferred.Open(PathOf("deferred"), CBinaryFile::Mode::CreateReadWrite));
    deferred.DeferWrites();

    std::mt19937 random(20240611);
    const std::size_t sizes[] = {1, 16, 16, 32, 100, 700, 5000, 16384, 20000};
    for (int step = 0; step < 3000; ++step) {
        // Around the end of the file as often as inside it.
        const std::uint64_t reach = direct.Length() + 4096;
        const std::uint64_t offset =
            random() % 2 == 0 ? random() % reach : (random() % (reach / 32 + 1)) * 32;
        direct.Seek(offset);
        deferred.Seek(offset);
        const std::size_t size = sizes[random() % std::size(sizes)];
        switch (random() % 3) {
        case 0: {
            const auto bytes = Pattern(size, static_cast<std::uint8_t>(step));
            direct.Write(bytes);
            deferred.Write(bytes);
            break;
        }
        case 1: {
            std::vector<std::uint8_t> a(size), b(size);
            const std::size_t gotA = direct.Read(a);
            const std::size_t gotB = deferred.Read(b);
            ASSERT_EQ(gotA, gotB) << "step " << step << ", read " << size << " at " << offset;
            ASSERT_EQ(a, b) << "step " << step << ", read " << size << " at " << offset;
            break;
        }
        default:
            ASSERT_EQ(direct.Length(), deferred.Length()) << "step " << step;
            break;
        }
        ASSERT_EQ(direct.Position(), deferred.Position()) << "step " << step;
    }
    direct.Close();
    deferred.Close();

    CBinaryFile a, b;
    ASSERT_TRUE(a.Open(PathOf("direct"), CBinaryFile::Mode::Read));
    ASSERT_TRUE(b.Open(PathOf("deferred"), CBinaryFile::Mode::Read));
    ASSERT_EQ(a.Length(), b.Length());
    std::vector<std::uint8_t> bytesA(a.Length()), bytesB(b.Length());
    EXPECT_EQ(a.Read(bytesA), bytesA.size());
    EXPECT_EQ(b.Read(bytesB), bytesB.size());
    EXPECT_TRUE(bytesA == bytesB) << "the files differ on the disk";
}

// A deferred write past the end of the file, inside the cached window: the
// bytes between read as zeros, as the hole of a real write would.
TEST_F(BinaryFileTest, DeferredWritePastTheEndLeavesZerosBetween)
{
    CBinaryFile file;
    ASSERT_TRUE(file.Open(PathOf("holes"), CBinaryFile::Mode::CreateReadWrite));
    file.DeferWrites();
    file.Write(Pattern(20000, 1)); // larger than the cache: written at once
    std::uint8_t byte = 0;
    file.Seek(0);
    ASSERT_EQ(file.Read({&byte, 1}), 1u); // caches the start of the file
    file.Seek(19000);
    ASSERT_EQ(file.Read({&byte, 1}), 1u); // caches the last 1000 bytes
    const auto tail = Pattern(16, 0xE0);
    file.Seek(21000);
    file.Write(tail);

    std::vector<std::uint8_t> got(1016);
    file.Seek(20000);
    ASSERT_EQ(file.Read(got), got.size());
    EXPECT_EQ(std::vector<std::uint8_t>(got.begin(), got.begin() + 1000),
              std::vector<std::uint8_t>(1000, 0));
    EXPECT_EQ(got[1000], 0xE0);
    EXPECT_EQ(file.Length(), 21016u);
}

TEST_F(BinaryFileTest, DeferredWritesWaitUntilClose)
{
    const std::string path = PathOf("img");
    CBinaryFile file;
    ASSERT_TRUE(file.Open(path, CBinaryFile::Mode::CreateReadWrite));
    file.DeferWrites();
    file.Write(Pattern(8000, 0));
    std::uint8_t byte = 0;
    file.Seek(7999);
    ASSERT_EQ(file.Read({&byte, 1}), 1u);
    EXPECT_EQ(byte, static_cast<std::uint8_t>(7999 & 0xFF));
    EXPECT_EQ(fs::file_size(path), 0u) << "nothing written yet";
    file.Close();
    EXPECT_EQ(fs::file_size(path), 8000u);
}

TEST_F(BinaryFileTest, DeferredWriteFailureShowsAtClose)
{
    CBinaryFile file;
    if (!file.Open("/dev/full", CBinaryFile::Mode::CreateReadWrite))
        GTEST_SKIP() << "/dev/full is not available";
    file.DeferWrites();
    file.Write(Pattern(64, 0));
    try {
        file.Close();
        FAIL() << "bytes that never reached the disk must not close quietly";
    } catch (const FileException& e) {
        EXPECT_EQ(e.Error().cause, FileErrorCause::DiskFull);
    }
    EXPECT_FALSE(file.IsOpen());
}

struct CauseRow {
    const char* name;
    int systemError;
    FileErrorCause cause;
    const char* message;
};

TEST(FileErrorMessage, EachCauseHasItsOwnText)
{
    const CauseRow rows[] = {
        {"disk full", ENOSPC, FileErrorCause::DiskFull, "Нет места на диске для файла /p/f."},
#ifdef EDQUOT // not in every C library
        {"quota", EDQUOT, FileErrorCause::DiskFull, "Нет места на диске для файла /p/f."},
#endif
        {"permission", EACCES, FileErrorCause::AccessDenied, "Нет доступа к файлу /p/f."},
        {"read-only fs", EROFS, FileErrorCause::AccessDenied, "Нет доступа к файлу /p/f."},
        {"vanished folder", ENOENT, FileErrorCause::NotFound, "Файл /p/f не найден."},
        {"io", EIO, FileErrorCause::HardwareIo,
         "Ошибка ввода-вывода при обращении к файлу /p/f."},
        {"name too long", ENAMETOOLONG, FileErrorCause::BadPath, "Недопустимый путь к файлу: /p/f."},
        {"too many files", EMFILE, FileErrorCause::TooManyOpenFiles,
         "Файл /p/f не открыт: открыто слишком много файлов."},
        {"other", EXDEV, FileErrorCause::Generic,
         "Неизвестная ошибка при обращении к файлу /p/f."},
    };
    for (const CauseRow& row : rows) {
        const FileError error = MakeFileError(row.systemError, "/p/f");
        EXPECT_EQ(error.cause, row.cause) << row.name;
        EXPECT_EQ(FileErrorMessage(error), row.message) << row.name;
    }
}

} // namespace
