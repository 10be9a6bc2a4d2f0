// Tests of the simulator's store folder: seeding, saving, restarting and refusing a bad one.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim/controller_store.h"
#include "sim/sample_programs.h"
#include "sim/sim_messages.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr ProgramId P1{LinkFile::Program, 1};
constexpr ProgramId P7{LinkFile::Program, 7};

std::vector<std::uint8_t> FileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ControllerStore, FreshStoreIsSeededTheSameEveryTime)
{
    CTempFolder a, b;
    std::string error;
    auto ma = CControllerStore(a.Path()).Open({}, error);
    ASSERT_TRUE(ma) << error;
    auto mb = CControllerStore(b.Path()).Open({}, error);
    ASSERT_TRUE(mb) << error;

    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(a.Path())) {
        ++files;
        EXPECT_EQ(FileBytes(entry.path()), FileBytes(fs::path(b.Path()) / entry.path().filename()))
            << entry.path().filename();
    }
    EXPECT_EQ(files, 3u + 3) << "parameters and samples, no temporary file left behind";
    EXPECT_EQ(fs::file_size(fs::path(a.Path()) / "general.bin"), 450u);
    EXPECT_EQ(fs::file_size(fs::path(a.Path()) / "axes.bin"), 480u);
    EXPECT_EQ(fs::file_size(fs::path(a.Path()) / "program-02.bin"), 16000u);
    EXPECT_EQ(fs::file_size(fs::path(a.Path()) / "subprogram-01.bin"), 3200u);
    EXPECT_EQ(ma->ProgramFrames(P1), SampleProgram1());
    EXPECT_EQ(ma->Descriptor().generalParamSize(), 450);
    EXPECT_EQ(ma->Descriptor().frameSize(), 32);
}

TEST(ControllerStore, WhatIsSavedComesBackAfterARestart)
{
    CTempFolder folder;
    std::string error;
    {
        CControllerStore store(folder.Path());
        auto model = store.Open({}, error);
        ASSERT_TRUE(model) << error;
        const auto words = ChainFrames({MakeWord(23), MakeWord(0, 100, -1), MakeWord(21, 30)});
        ASSERT_TRUE(model->SetProgramFrames(P7, words));
        ASSERT_TRUE(store.Save(*model, {StoreUnit::Program, P7}, error)) << error;
        std::vector<std::uint8_t> general(450, 0x3C);
        ASSERT_TRUE(model->SetGeneralParams(general));
        ASSERT_TRUE(store.Save(*model, {StoreUnit::GeneralParams, {}}, error)) << error;
    }
    auto model = CControllerStore(folder.Path()).Open({}, error);
    ASSERT_TRUE(model) << error;
    EXPECT_EQ(model->ProgramSize(P7), 3);
    EXPECT_EQ(model->ProgramFrames(P7)[1].coordinate(), -1);
    EXPECT_EQ(model->GeneralParams()[449], 0x3C);
}

TEST(ControllerStore, DescriptorOptionsReplaceTheStoredOnesAndResizeTheBlocks)
{
    CTempFolder folder;
    std::string error;
    ASSERT_TRUE(CControllerStore(folder.Path()).Open({}, error)) << error;

    DescriptorOverrides wider;
    wider.generalParamSize = 600;
    wider.axisCount = 2;
    auto model = CControllerStore(folder.Path()).Open(wider, error);
    ASSERT_TRUE(model) << error;
    EXPECT_EQ(model->Descriptor().generalParamSize(), 600);
    EXPECT_EQ(model->Descriptor().axisParamSize(), 120) << "a size not given is kept";
    EXPECT_EQ(fs::file_size(fs::path(folder.Path()) / "general.bin"), 600u);
    EXPECT_EQ(fs::file_size(fs::path(folder.Path()) / "axes.bin"), 240u);

    // Without options the store keeps what it was last given.
    auto again = CControllerStore(folder.Path()).Open({}, error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(again->Descriptor().generalParamSize(), 600);
    EXPECT_EQ(again->Descriptor().axisCount(), 2);
}

struct CorruptCase {
    std::string name;
    std::string file;
    long size; // -1: removed
};

TEST(ControllerStore, CorruptStoreIsRefusedWithAOneLineError)
{
    const std::vector<CorruptCase> cases{
        {"general block one byte short", "general.bin", 449},
        {"axis blocks too long", "axes.bin", 481},
        {"descriptor cut", "descriptor.bin", 10},
        {"axis blocks missing", "axes.bin", -1},
        {"descriptor missing", "descriptor.bin", -1},
        {"subprogram file empty", "subprogram-01.bin", 0},
        {"program file one slot short", "program-02.bin", 16000 - 32},
    };
    for (const CorruptCase& c : cases) {
        CTempFolder folder;
        std::string error;
        ASSERT_TRUE(CControllerStore(folder.Path()).Open({}, error)) << error;
        const fs::path file = fs::path(folder.Path()) / c.file;
        if (c.size < 0)
            fs::remove(file);
        else
            fs::resize_file(file, static_cast<std::uintmax_t>(c.size));
        error.clear();
        EXPECT_FALSE(CControllerStore(folder.Path()).Open({}, error)) << c.name;
        EXPECT_EQ(error.rfind(SimMsg::StoreDamaged(folder.Path(), c.file, ""), 0), 0u) << c.name << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << c.name << ": " << error;
    }
}

TEST(ControllerStore, ProgramWithoutAFileIsEmpty)
{
    CTempFolder folder;
    std::string error;
    ASSERT_TRUE(CControllerStore(folder.Path()).Open({}, error)) << error;
    fs::remove(fs::path(folder.Path()) / "program-01.bin");
    auto model = CControllerStore(folder.Path()).Open({}, error);
    ASSERT_TRUE(model) << error;
    EXPECT_EQ(model->ProgramSize(P1), 0);
    EXPECT_EQ(model->ProgramSize({LinkFile::Program, 2}), SampleProgram2().size());
}

TEST(ControllerStore, FolderThatCannotBeMadeIsAnError)
{
    CTempFolder folder;
    const std::string file = folder.Path() + "/plain-file";
    std::ofstream(file) << "x";
    std::string error;
    EXPECT_FALSE(CControllerStore(file + "/store").Open({}, error));
    EXPECT_EQ(error, SimMsg::StoreFolderNotMade(file + "/store", "часть пути — не папка"));
}

// Root writes through any mode bits, so the check runs in a child that has
// given up root.
TEST(ControllerStore, ReadOnlyFolderIsRefusedAtOpen)
{
    CTempFolder folder;
    const std::string store = folder.Path() + "/store";
    std::string error;
    ASSERT_TRUE(CControllerStore(store).Open({}, error)) << error;
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(store.c_str(), 0555), 0);

    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        constexpr uid_t NOBODY = 65534;
        if (::geteuid() == 0 && (::setgid(NOBODY) != 0 || ::setuid(NOBODY) != 0))
            ::_exit(3);
        std::string childError;
        const bool opened = CControllerStore(store).Open({}, childError).has_value();
        [[maybe_unused]] auto put = ::write(pipeFds[1], childError.data(), childError.size());
        ::_exit(opened ? 1 : 0);
    }
    ::close(pipeFds[1]);
    std::string childError;
    char buf[256];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
        childError.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::chmod(store.c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a read-only store must not open";
    EXPECT_EQ(childError, SimMsg::StoreNotWritable(store, "нет доступа"));
}

TEST(ControllerStore, DefaultFolderFollowsXdgDataHomeThenHome)
{
    const char* oldXdg = std::getenv("XDG_DATA_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    const std::string savedHome = oldHome ? oldHome : "";

    ::setenv("XDG_DATA_HOME", "/x/data", 1);
    ::setenv("HOME", "/home/op", 1);
    EXPECT_EQ(CControllerStore::DefaultFolder(), "/x/data/MFCVemSync/sim");
    ::setenv("XDG_DATA_HOME", "", 1);
    EXPECT_EQ(CControllerStore::DefaultFolder(), "/home/op/.local/share/MFCVemSync/sim");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(CControllerStore::DefaultFolder(), "/home/op/.local/share/MFCVemSync/sim");

    oldXdg ? ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
    oldHome ? ::setenv("HOME", savedHome.c_str(), 1) : ::unsetenv("HOME");
}

} // namespace
