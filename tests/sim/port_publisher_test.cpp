// Tests of CPortPublisher: its link published, replaced, withdrawn, and never clobbering.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "sim/port_publisher.h"
#include "sim/sim_messages.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

TEST(PortPublisher, PublishesInANewFolderAndWithdrawsOnDestruction)
{
    CTempFolder folder;
    const std::string ports = folder.Path() + "/MFCVemSync/ports";
    std::string error;
    {
        CPortPublisher publisher;
        ASSERT_TRUE(publisher.Publish(ports, "COM3", "/dev/pts/77", error)) << error;
        EXPECT_TRUE(fs::is_symlink(ports + "/COM3"));
        EXPECT_EQ(fs::read_symlink(ports + "/COM3"), "/dev/pts/77");
        EXPECT_EQ(publisher.LinkPath(), ports + "/COM3");
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(ports + "/COM3")));
    EXPECT_EQ(std::distance(fs::directory_iterator(ports), fs::directory_iterator()), 0)
        << "no temporary link left behind";
}

TEST(PortPublisher, ReplacesAStaleLink)
{
    CTempFolder folder;
    fs::create_symlink("/dev/pts/999", folder.Path() + "/COM4");
    CPortPublisher publisher;
    std::string error;
    ASSERT_TRUE(publisher.Publish(folder.Path(), "COM4", "/dev/pts/5", error)) << error;
    EXPECT_EQ(fs::read_symlink(folder.Path() + "/COM4"), "/dev/pts/5");
}

TEST(PortPublisher, LeavesALinkThatIsNoLongerItsOwn)
{
    CTempFolder folder;
    CPortPublisher first;
    std::string error;
    ASSERT_TRUE(first.Publish(folder.Path(), "COM5", "/dev/pts/5", error)) << error;
    {
        CPortPublisher second;
        ASSERT_TRUE(second.Publish(folder.Path(), "COM5", "/dev/pts/6", error)) << error;
        first.Withdraw();
        EXPECT_EQ(fs::read_symlink(folder.Path() + "/COM5"), "/dev/pts/6");
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder.Path() + "/COM5")));
}

TEST(PortPublisher, RefusesToClobberAFileOrTakeAPath)
{
    CTempFolder folder;
    std::ofstream(folder.Path() + "/COM6") << "operator's notes";
    CPortPublisher publisher;
    std::string error;
    EXPECT_FALSE(publisher.Publish(folder.Path(), "COM6", "/dev/pts/5", error));
    EXPECT_EQ(error, SimMsg::PortNameTaken(folder.Path() + "/COM6"));
    std::ifstream in(folder.Path() + "/COM6");
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "operator's notes");

    for (const char* name : {"", "../COM1", "a/b", ".hidden"}) {
        EXPECT_FALSE(publisher.Publish(folder.Path(), name, "/dev/pts/5", error)) << '"' << name << '"';
    }
}

} // namespace
