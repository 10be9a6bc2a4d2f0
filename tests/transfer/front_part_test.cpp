// Tests of what a command does before the transfer: port, file dialog, paths and target.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sstream>

#include <sys/resource.h>

#include "transfer/messages.h"
#include "transfer/transfer_rules.h"
#include "codec/byte_order.h"
#include "image/program_image.h"
#include "link/link_frame.h"
#include "tests/transfer/transfer_harness.h"
#include "tests/support/link_reply.h"
#include "tests/support/pty_pair.h"
#include "tests/support/scripted_peer.h"

namespace {

class FrontPart : public TransferTest {
protected:
    void SetUp() override { Start(); }
};

TEST_F(FrontPart, ClosedPortRefusesBeforeTheFileDialog)
{
    EXPECT_FALSE(m_link->Reopen("/nonexistent/port"));
    for (const bool read : {true, false}) {
        m_ui.events.clear();
        const CommandResult result = read ? m_commands->Read(DataKind::Program, "1", PathOf("p"))
                                          : m_commands->Write(DataKind::Parameters, "", PathOf("p"));
        EXPECT_EQ(result, CommandResult::Failed);
        EXPECT_EQ(m_ui.events, std::vector<std::string>{std::string("warn ") + Msg::PORT_CLOSED});
    }
    EXPECT_TRUE(Requests().empty());
}

TEST_F(FrontPart, FileThatCannotBeOpenedIsReportedAfterTheDescriptor)
{
    EXPECT_EQ(Write(DataKind::Program, "1", PathOf("missing")), CommandResult::Failed);
    EXPECT_EQ(Write(DataKind::Parameters, "", PathOf("missing")), CommandResult::Failed);
    EXPECT_EQ(Read(DataKind::Program, "1", PathOf("no/such/folder/x")), CommandResult::Failed);
    EXPECT_EQ(m_ui.Warnings(), std::vector<std::string>(3, Msg::CANNOT_OPEN_FILE));
    EXPECT_EQ(RequestSummaries(), std::vector<std::string>(3, "R 0 1 0"));
}

struct PathRow {
    const char* name;
    DataKind kind;
    const char* chosen;
    const char* read;
    const char* write;
};

TEST(TransferPaths, ExtensionRules)
{
    const PathRow rows[] = {
        {"bare program", DataKind::Program, "/d/a", "/d/a.prgVem730", "/d/a.prgVem730"},
        {"bare params", DataKind::Parameters, "/d/a", "/d/a.paramVem730", "/d/a.paramVem730"},
        {"extension in a folder", DataKind::Program, "/d.prgVem730/a", "/d.prgVem730/a",
         "/d.prgVem730/a"},
        {"upper-case extension", DataKind::Program, "/d/a.PRGVEM730", "/d/a.PRGVEM730.prgVem730",
         "/d/a.PRGVEM730"},
        {"case of the name kept", DataKind::Subprogram, "/Work/Part", "/Work/Part.prgVem730",
         "/Work/Part.prgVem730"},
        {"params upper case", DataKind::Parameters, "/d/M.PARAMVEM730", "/d/M.PARAMVEM730.paramVem730",
         "/d/M.PARAMVEM730"},
        {"program extension on params", DataKind::Parameters, "/d/a.prgVem730",
         "/d/a.prgVem730.paramVem730", "/d/a.prgVem730.paramVem730"},
    };
    for (const PathRow& row : rows) {
        EXPECT_EQ(ReadPathFor(row.kind, row.chosen), row.read) << row.name << ": " << row.chosen;
        EXPECT_EQ(WritePathFor(row.kind, row.chosen), row.write) << row.name << ": " << row.chosen;
    }
}

TEST(TransferPaths, ProgramNumberIsReadDigitByDigit)
{
    EXPECT_EQ(ProgramNumberOf(""), 0);
    EXPECT_EQ(ProgramNumberOf("00"), 0);
    EXPECT_EQ(ProgramNumberOf("07"), 7);
    EXPECT_EQ(ProgramNumberOf("99"), 99);
}

// File names are case-sensitive here: Write opens the file the user chose,
// not a lower-cased name that may be another file or none.
TEST_F(FrontPart, WriteOpensTheChosenFileInItsOwnCase)
{
    std::filesystem::create_directory(PathOf("Parts"));
    const std::string file = PathOf("Parts/Shaft.PRGVEM730");
    WriteWholeFile(file, CrLfText({"G90", "M30"}));
    ASSERT_EQ(Write(DataKind::Program, "1", file), CommandResult::Done);
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Program, 1}).size(), 2u);
    EXPECT_TRUE(m_ui.Warnings().empty());
}

struct ExistingRow {
    const char* name;
    DataKind kind;
    const char* existing; // files there are, beside the chosen name
    const char* chosen;
    const char* written;
};

// Write takes a chosen file that exists as it is, whatever its name; the
// extension goes only onto a name that names no file.
TEST_F(FrontPart, WriteTakesAnExistingChosenFileAsItIs)
{
    const ExistingRow rows[] = {
        {"other extension", DataKind::Program, "cam.nc", "cam.nc", "cam.nc"},
        {"no extension, file there", DataKind::Subprogram, "sub", "sub", "sub"},
        {"no extension, both there", DataKind::Program, "p1 p1.prgVem730", "p1", "p1"},
        {"no file of that name", DataKind::Program, "p2.prgVem730", "p2", "p2.prgVem730"},
        {"parameters", DataKind::Parameters, "m.bak", "m.bak", "m.bak"},
        {"a folder is no file", DataKind::Program, "", "dir", "dir.prgVem730"},
    };
    std::filesystem::create_directory(PathOf("dir"));
    for (const ExistingRow& row : rows) {
        std::istringstream names(row.existing);
        for (std::string name; names >> name;)
            WriteWholeFile(PathOf(name), "x");
        EXPECT_EQ(WritePathFor(row.kind, PathOf(row.chosen)), PathOf(row.written))
            << row.name << ": " << row.chosen;
    }
}

// A Read that fails leaves an existing file byte for byte as it was, and
// creates nothing under a new name.
TEST_F(FrontPart, FailedReadNeverDestroysTheTarget)
{
    const std::string old = PathOf("kept.prgVem730");
    WriteWholeFile(old, "old program\r\n");
    const std::string params = PathOf("kept.paramVem730");
    WriteWholeFile(params, "old parameters");
    Relink(250);
    m_sim->AddFault({FaultMode::BadCrc, FaultTarget::BlockRead, 0, 0});
    m_sim->AddFault({FaultMode::BadCrc, FaultTarget::Params, 0, 0});

    EXPECT_EQ(Read(DataKind::Program, "1", old), CommandResult::Failed);
    EXPECT_EQ(Read(DataKind::Parameters, "", params), CommandResult::Failed);
    EXPECT_EQ(Read(DataKind::Program, "1", PathOf("new")), CommandResult::Failed);
    EXPECT_EQ(ReadWholeFile(old), "old program\r\n");
    EXPECT_EQ(ReadWholeFile(params), "old parameters");
    EXPECT_EQ(FolderEntries(m_folder.Path()),
              (std::vector<std::string>{"kept.paramVem730", "kept.prgVem730", "line.log", "store"}))
        << "no new file, no temporary file left behind";
}

TEST_F(FrontPart, SuccessfulReadReplacesTheTargetAndKeepsItsMode)
{
    const std::string target = PathOf("replace.prgVem730");
    WriteWholeFile(target, "old\r\n");
    std::filesystem::permissions(target, std::filesystem::perms(0640));
    ASSERT_EQ(Read(DataKind::Program, "1", target), CommandResult::Done);
    EXPECT_NE(ReadWholeFile(target), "old\r\n");
    EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0640));
}

struct DescriptorRow {
    const char* name;
    std::uint16_t general;
    std::uint16_t axis;
    std::uint8_t axes;
    std::uint8_t frame;
    bool parametersSupported;
    bool programsSupported;
};

// Sizes that would place data outside the transfer buffer or need a frame
// longer than the link carries are refused right after the descriptor.
TEST_F(FrontPart, DescriptorThatDoesNotFitIsRefusedAtOnce)
{
    const DescriptorRow rows[] = {
        {"largest general block", 15999, 0, 0, 32, true, true},
        {"general read past the buffer", 16000, 0, 0, 32, false, true},
        {"blocks past the buffer", 10000, 200, 31, 32, false, true},
        {"blocks fill the buffer", 10000, 200, 30, 32, true, true},
        {"axis block too long for a write", 0, 244, 1, 32, false, true},
        {"longest axis block", 0, 243, 1, 32, true, true},
        {"frame of 31 bytes", 450, 120, 4, 31, true, false},
        {"frame of 33 bytes", 450, 120, 4, 33, true, false},
    };
    Relink(250);
    for (const DescriptorRow& row : rows) {
        SCOPED_TRACE(row.name);
        ControllerInfo info;
        info.setGeneralParamSize(row.general);
        info.setAxisParamSize(row.axis);
        info.setAxisCount(row.axes);
        info.setFrameSize(row.frame);
        ASSERT_TRUE(m_sim->SetDescriptor(info));
        for (const DataKind kind : {DataKind::Parameters, DataKind::Program}) {
            const bool supported =
                kind == DataKind::Parameters ? row.parametersSupported : row.programsSupported;
            const std::size_t before = Requests().size();
            m_ui.events.clear();
            const CommandResult result = Read(kind, "1", PathOf("d"));
            const std::vector<std::string> warnings = m_ui.Warnings();
            if (supported) {
                EXPECT_TRUE(warnings.empty() || warnings[0] != Msg::DESCRIPTOR_UNSUPPORTED);
                EXPECT_GT(Requests().size(), before + 1);
            } else {
                EXPECT_EQ(result, CommandResult::Failed);
                EXPECT_EQ(warnings, std::vector<std::string>{Msg::DESCRIPTOR_UNSUPPORTED});
                EXPECT_EQ(Requests().size(), before + 1) << "nothing after the descriptor";
            }
            EXPECT_EQ(m_info.generalParamSize(), row.general) << "the descriptor is kept as read";
        }
    }
}

// A controller played by the test itself, for replies the simulator never
// gives: well-formed frames that carry fewer bytes than were asked for.
class ShortReplies : public TransferTest {
protected:
    static Bytes DescriptorData(std::size_t size)
    {
        ControllerInfo info;
        info.setGeneralParamSize(450);
        info.setAxisParamSize(120);
        info.setAxisCount(4);
        info.setFrameSize(32);
        return Bytes(info.bytes.begin(), info.bytes.begin() + static_cast<long>(size));
    }

    // Runs a Read against a peer that answers each request with the next
    // of `replies` and returns the warnings shown.
    std::vector<std::string> ReadAgainst(DataKind kind, std::vector<Bytes> replies,
                                         std::size_t* requestsSeen)
    {
        PtyPair pty;
        CControllerLink link(CControllerLink::REOPEN_BAUD_RATE, pty.SlavePath().c_str(), 500);
        CTransferCommands commands(link, m_info, Buffer(), m_ui);
        std::size_t seen = 0;
        {
            ScriptedPeer peer(pty.MasterFd(), [replies, &seen](PeerLine& line) {
                for (const Bytes& reply : replies) {
                    if (!line.ReadExactly(LinkFrame::READ_REQUEST_SIZE))
                        return;
                    ++seen;
                    line.Write(reply);
                }
                // Anything more the link asks for is a request too many.
                if (line.ReadExactly(LinkFrame::READ_REQUEST_SIZE, std::chrono::milliseconds(200)))
                    ++seen;
            });
            commands.Read(kind, "1", PathOf("short"));
        }
        *requestsSeen = seen;
        return m_ui.Warnings();
    }
};

TEST_F(ShortReplies, DescriptorOfThirteenBytesFails)
{
    m_info.setGeneralParamSize(999); // left by an earlier command
    std::size_t seen = 0;
    EXPECT_EQ(ReadAgainst(DataKind::Parameters, {MakeReply(DescriptorData(13))}, &seen),
              std::vector<std::string>{Msg::DESCRIPTOR_FAILED});
    EXPECT_EQ(seen, 1u);
    EXPECT_EQ(m_info.generalParamSize(), 999) << "a failed read changes nothing";
}

TEST_F(ShortReplies, DescriptorOfFourteenBytesIsEnough)
{
    std::size_t seen = 0;
    ReadAgainst(DataKind::Program, {MakeReply(DescriptorData(14)), MakeReply(Bytes{0, 0, 0, 0})},
                &seen);
    EXPECT_EQ(seen, 2u);
    EXPECT_TRUE(m_ui.Warnings().empty());
    EXPECT_EQ(m_info.frameSize(), 32);
}

TEST_F(ShortReplies, SizeReplyOfOneByteFails)
{
    std::size_t seen = 0;
    EXPECT_EQ(ReadAgainst(DataKind::Program, {MakeReply(DescriptorData(16)), MakeReply(Bytes{3})},
                          &seen),
              std::vector<std::string>{Msg::SIZE_QUERY_FAILED});
    EXPECT_EQ(seen, 2u);
}

TEST_F(ShortReplies, FrameCountAboveTheAreaIsRefusedBeforeAnyBlock)
{
    std::size_t seen = 0;
    Bytes count(4, 0);
    StoreLe16(count.data(), 501);
    EXPECT_EQ(ReadAgainst(DataKind::Program, {MakeReply(DescriptorData(16)), MakeReply(count)}, &seen),
              std::vector<std::string>{Msg::PROGRAM_SIZE});
    EXPECT_EQ(seen, 2u);
}

TEST_F(ShortReplies, LongSizeReplyIsCutToItsRoom)
{
    std::size_t seen = 0;
    Bytes count(200, 0xEE);
    StoreLe16(count.data(), 0);
    ReadAgainst(DataKind::Program, {MakeReply(DescriptorData(16)), MakeReply(count)}, &seen);
    EXPECT_TRUE(m_ui.Warnings().empty());
    EXPECT_EQ(seen, 2u);
}

TEST_F(ShortReplies, ShortBlocksFailWithTheirOwnMessage)
{
    std::size_t seen = 0;
    Bytes count(4, 0);
    StoreLe16(count.data(), 3);
    EXPECT_EQ(ReadAgainst(DataKind::Subprogram,
                          {MakeReply(DescriptorData(16)), MakeReply(count), MakeReply(Bytes(159, 0))},
                          &seen),
              std::vector<std::string>{Msg::SUBPROGRAM_READ_FAILED});
    EXPECT_EQ(seen, 3u);

    m_ui.events.clear();
    EXPECT_EQ(ReadAgainst(DataKind::Parameters,
                          {MakeReply(DescriptorData(16)), MakeReply(Bytes(200, 1)),
                           MakeReply(Bytes(199, 2))},
                          &seen),
              std::vector<std::string>{Msg::GENERAL_READ_FAILED});
    EXPECT_EQ(seen, 3u);
}

// A file-system failure is one message naming the cause and the user's
// file, and nothing half-written stays behind.
TEST_F(FrontPart, DiskFullWhileSavingIsReportedAndLeavesNoFile)
{
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 300; // the parameter file is 930 bytes
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

    const std::string target = PathOf("full");
    const CommandResult result = Read(DataKind::Parameters, "", target);

    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &previous, nullptr);
    EXPECT_EQ(result, CommandResult::Failed);
    EXPECT_EQ(m_ui.Warnings(),
              std::vector<std::string>{"Нет места на диске для файла " + target + ".paramVem730."});
    EXPECT_FALSE(std::filesystem::exists(target + ".paramVem730"));
    EXPECT_EQ(FolderEntries(m_folder.Path()), (std::vector<std::string>{"line.log", "store"}));
}

} // namespace
