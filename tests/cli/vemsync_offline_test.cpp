// check, import and export are the write and read commands' own conversions:
// each input goes through vemsync, through the conversion calls the commands
// make, and through the commands themselves against the simulator, and all
// three must agree byte for byte and message for message.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "transfer/messages.h"
#include "platform/replacement_file.h"
#include "transfer/program_text_conversion.h"
#include "transfer/rewrite_report.h"
#include "codec/byte_order.h"
#include "platform/binary_file.h"
#include "link/link_frame.h"
#include "tests/cli/vemsync_harness.h"
#include "tests/image/image_bytes.h"

namespace fs = std::filesystem;

namespace {

using namespace std::string_literals;

std::string Lines(const std::vector<std::string>& lines, const char* end = "\r\n")
{
    std::string text;
    for (const std::string& line : lines)
        text += line + end;
    return text;
}

std::string Repeated(const std::vector<std::string>& words, std::size_t count)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < count; ++i)
        lines.push_back(words[i % words.size()]);
    return Lines(lines);
}

const std::vector<std::string> NINE = {"G90",  "X12.345F100", "G1",  "Y-0.500F05", "M6T3",
                                       "F2000", "G54",         "M30", "G4.5"};
const std::vector<std::string> WORDS = {"G1", "X1.500F200", "M6T2", "F100", "G54", "Z-3.000F05"};

std::string Bytes(const std::vector<std::uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

struct TextRow {
    const char* name;
    std::optional<std::string> text; // nothing: no file at all
    bool subprogram;
    std::string answer; // the check's one line: the frame count or the message
};

class OfflineTools : public VemsyncTest {
protected:
    // The write command's frames as the controller received them: the data
    // of the block writes after the delete, back to back.
    static std::string SentFrames(const std::vector<LoggedRequest>& requests)
    {
        std::string sent;
        for (const LoggedRequest& r : requests)
            if (r.function == LinkFrame::WRITE_FILE_RECORD && !r.data.empty())
                sent += Bytes(r.data);
        return sent;
    }

    // The image a read command wrote: the data of the replies to its block
    // reads of `file` in the log lines from `firstLine` on, cut to `frames`
    // slots.
    std::string ImageFromLog(std::size_t firstLine, std::uint16_t file, std::size_t frames) const
    {
        std::ifstream log(PathOf("line.log"));
        std::string line, image;
        bool blockRead = false;
        for (std::size_t n = 0; std::getline(log, line); ++n) {
            if (n < firstLine)
                continue;
            std::istringstream words(line);
            std::string stamp, tag, hex;
            words >> stamp >> tag;
            std::vector<std::uint8_t> bytes;
            while (words >> hex)
                bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex, nullptr, 16)));
            if (tag == "REQ" && bytes.size() >= LinkFrame::READ_REQUEST_SIZE)
                blockRead = bytes[LinkFrame::FUNCTION_OFFSET] == LinkFrame::READ_FILE_RECORD &&
                            LoadBe16(&bytes[LinkFrame::FILE_OFFSET]) == file &&
                            LoadBe16(&bytes[LinkFrame::LENGTH_OFFSET]) == FRAMES_PER_BLOCK;
            if (tag == "REP" && blockRead) {
                const std::size_t count = bytes.at(LinkFrame::BYTE_COUNT_OFFSET);
                image.append(bytes.begin() + LinkFrame::REPLY_DATA_OFFSET,
                             bytes.begin() + static_cast<long>(LinkFrame::REPLY_DATA_OFFSET + count));
            }
        }
        return image.substr(0, frames * SLOT_SIZE);
    }

    std::size_t LogLineCount() const
    {
        std::ifstream log(PathOf("line.log"));
        std::size_t count = 0;
        for (std::string line; std::getline(log, line);)
            ++count;
        return count;
    }

    static constexpr std::uint16_t FRAMES_PER_BLOCK = 5;
};

// The inputs of the image's own conversion tests, with what the check says
// of each.
TEST_F(OfflineTools, CheckAndImportAreTheWriteCommandsConversion)
{
    const TextRow rows[] = {
        {"three-line example", "G0\r\nX10\r\nF100\r\n", false, "3"},
        {"empty file", "", false, Msg::PROGRAM_SIZE},
        {"blank lines only", "\n\r\n   \n  \r\n", false, Msg::PROGRAM_SIZE},
        {"first line blank", "\nG0\nG1\n", false, "2"},
        {"blank line in the middle", "G0\n\nG1\n   \nX10\n", false, "3"},
        {"line number counts blank lines", "G0\n\n\nK1\n", false,
         "Ошибка в записываемой программе, строка: 4"},
        {"long line taken cut, next line read", "X1.00000000000000000000F5\nG1\n", false, "2"},
        {"line number after a long line", "G0\nM6T1234567890123456789012\nK1\n", false,
         "Ошибка в записываемой программе, строка: 3"},
        {"leading spaces skipped", "   G0\n  X10\n", false, "2"},
        {"tab is not skipped", "\tG0\n", false, "Ошибка в записываемой программе, строка: 1"},
        {"NUL ends the word", "G0\0garbage\nG1\n"s, false, "2"},
        {"no LF after the last line", "G0\nG1", false, "2"},
        {"disabled line rejected", "G0\n//G1\n", false, "Ошибка в записываемой программе, строка: 2"},
        {"CR LF line ends", Lines(NINE, "\r\n"), false, "9"},
        {"LF line ends", Lines(NINE, "\n"), true, "9"},
        {"500 program lines", Repeated(WORDS, 500), false, "500"},
        {"501 program lines", Repeated(WORDS, 501), false, Msg::PROGRAM_SIZE},
        {"100 subprogram lines", Repeated(WORDS, 100), true, "100"},
        {"101 subprogram lines", Repeated(WORDS, 101), true, Msg::PROGRAM_SIZE},
        {"no such file", std::nullopt, false, Msg::CANNOT_OPEN_FILE},
    };
    int index = 0;
    for (const TextRow& row : rows) {
        SCOPED_TRACE(std::string(row.name) + ": " + (row.text ? Escaped(*row.text).substr(0, 80) : "-"));
        const std::string folder = PathOf("text" + std::to_string(index++));
        fs::create_directory(folder);
        const std::string text = folder + "/prog.prgVem730";
        if (row.text)
            WriteWholeFile(text, *row.text);
        const DataKind kind = row.subprogram ? DataKind::Subprogram : DataKind::Program;
        const std::vector<std::string> area =
            row.subprogram ? std::vector<std::string>{"--subprogram"} : std::vector<std::string>{};

        // vemsync check and import.
        std::vector<std::string> checkArgs{"check", text, "--accept-rewrites"};
        checkArgs.insert(checkArgs.end(), area.begin(), area.end());
        const VemsyncRun check = Vemsync(checkArgs);
        fs::create_directory(folder + "/cli");
        const std::string cliImage = folder + "/cli/image";
        std::vector<std::string> importArgs = area;
        importArgs.insert(importArgs.end(), {"import", text, cliImage});
        const VemsyncRun import = Vemsync(importArgs);

        // The conversion calls of the write command.
        FakeUi ui;
        const std::string appImage = folder + "/app.image";
        std::vector<LossyLine> lossy;
        const ImportOutcome imported = ImportProgramText(kind, text, appImage, &lossy);
        std::optional<int> frames;
        if (imported.failure)
            ShowFailure(ui, *imported.failure);
        else
            frames = imported.frames;
        // Each message with its detail line, then the lines not stored as
        // written, as the write asks about them.
        std::vector<std::string> checkErr;
        std::size_t listedCount = 0;
        for (std::size_t i = 0; i < ui.Warnings().size(); ++i) {
            checkErr.push_back(ui.Warnings()[i]);
            if (!ui.details[i].empty())
                checkErr.push_back(ui.details[i]);
        }
        if (!lossy.empty()) {
            const std::vector<std::string> listed =
                LinesOf(std::string(Msg::ACCEPT_REWRITES) + "\n" + DescribeLossyLines(lossy, true) + "\n");
            checkErr.insert(checkErr.end(), listed.begin(), listed.end());
            listedCount = listed.size();
        }

        // The write command itself, told to go on.
        TakeLine();
        const std::size_t before = Requests().size();
        m_ui.events.clear();
        m_ui.answers = {true};
        const CommandResult written = Write(kind, "1", text);
        std::vector<LoggedRequest> sent = Requests();
        sent.erase(sent.begin(), sent.begin() + static_cast<long>(before));
        ReleaseLine();

        const bool accepted = frames.has_value();
        EXPECT_EQ(accepted ? std::to_string(*frames) : ui.Warnings().at(0), row.answer);
        EXPECT_EQ(check.status, accepted ? 0 : 1) << check.Describe();
        EXPECT_EQ(check.out, accepted ? row.answer + "\n" : "") << check.Describe();
        EXPECT_EQ(LinesOf(check.err), checkErr) << check.Describe();
        EXPECT_EQ(import.status, accepted ? 0 : 1) << import.Describe();
        EXPECT_EQ(import.out, "");
        EXPECT_EQ(LinesOf(import.err),
                  std::vector<std::string>(checkErr.begin(), checkErr.begin() + static_cast<long>(
                                                                 checkErr.size() - listedCount)))
            << import.Describe();
        EXPECT_EQ(m_ui.Warnings(), ui.Warnings());
        EXPECT_EQ(written, accepted ? CommandResult::Done : CommandResult::Failed);
        if (accepted) {
            const std::string image = ReadWholeFile(appImage);
            EXPECT_EQ(ReadWholeFile(cliImage), image) << "vemsync import";
            // The last slot's second half lies past the image file's end;
            // the command sends zeros there.
            const std::string frameBytes = SentFrames(sent);
            std::string reach = image;
            if (reach.size() < frameBytes.size())
                reach.append(frameBytes.size() - reach.size(), '\0');
            EXPECT_EQ(frameBytes, reach.substr(0, frameBytes.size())) << "the frames the controller got";
            EXPECT_EQ(m_sim->ProgramFrames({row.subprogram ? LinkFile::Subprogram : LinkFile::Program, 1})
                          .size(),
                      static_cast<std::size_t>(*frames));
        } else {
            EXPECT_EQ(sent.size(), 1u) << "only the descriptor";
            EXPECT_TRUE(FolderEntries(folder + "/cli").empty()) << "no image, no temporary file";
        }
    }
}

TEST_F(OfflineTools, FailedImportKeepsTheEarlierImage)
{
    const std::string text = PathOf("bad.prgVem730");
    const std::string image = PathOf("kept.image");
    WriteWholeFile(text, "G0\nK1\n");
    WriteWholeFile(image, "an earlier image");
    const VemsyncRun run = Vemsync({"import", text, image});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(LinesOf(run.err), std::vector<std::string>{"Ошибка в записываемой программе, строка: 2"});
    EXPECT_EQ(ReadWholeFile(image), "an earlier image");

    WriteWholeFile(text, "G0\nG1\n");
    const VemsyncRun replaced = Vemsync({"import", text, image});
    EXPECT_EQ(replaced.status, 0) << replaced.Describe();
    const std::string bytes = ReadWholeFile(image);
    EXPECT_EQ(FrameAt(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), 1).kind(), FRAME_LAST);
}

// A script reads the whole list of lines not stored as typed; only a
// message box stops at the first ten.
TEST_F(OfflineTools, CheckListsEveryLineNotStoredAsTyped)
{
    std::vector<std::string> lines(13, "X5");
    lines.insert(lines.begin(), "G0");
    const std::string text = PathOf("many.prgVem730");
    WriteWholeFile(text, CrLfText(lines));
    const VemsyncRun run = Vemsync({"check", text});
    EXPECT_NE(run.err.find("строка 14: «X5»"), std::string::npos) << run.Describe();
    EXPECT_EQ(run.err.find("… и ещё"), std::string::npos) << run.Describe();
}

// Naming one file twice would put the result over its own source.
TEST_F(OfflineTools, SameFileTwiceIsRefused)
{
    const std::string text = PathOf("p.prgVem730");
    WriteWholeFile(text, "G0\n");
    fs::create_symlink(text, PathOf("alias"));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"import", text, text}, {"import", text, PathOf("alias")},
          {"export", text, text}}) {
        const VemsyncRun run = Vemsync(args);
        EXPECT_EQ(run.status, 2) << CommandText(args) << "\n" << run.Describe();
        EXPECT_EQ(LinesOf(run.err).size(), 1u) << run.Describe();
        EXPECT_EQ(ReadWholeFile(text), "G0\n");
    }
}

struct ImageRow {
    const char* name;
    std::optional<std::string> image; // nothing: no file at all
    std::string text;                 // what the export writes
    std::string message;              // empty: success
};

// The export of image files as the read command writes them, also broken
// ones: vemsync export and the read command's export call agree.
TEST_F(OfflineTools, ExportIsTheReadCommandsConversion)
{
    const std::string three = ControllerImage(Chain({Word(23), Word(24), Word(31)}));
    const std::string threeText = "G0\r\nG1\r\nG17\r\n";
    const ImageRow rows[] = {
        {"0-byte image", "", "", ""},
        {"controller words",
         ControllerImage(Chain({Word(23), Word(0, 100, 12345), Word(1, 5, -500), Word(16, 3), Word(13, 1),
                                Word(49, 12000), Word(24, 0, 0, 0x00)})),
         "G0\r\nX12.345F100\r\nY-0.500F05\r\nM6T3\r\nG54\r\nF9999\r\n//G1\r\n", ""},
        {"last slot cut short", three + std::string(FRAME_SIZE - 1, '\x01'), threeText, ""},
        {"free slot after the chain", three + ControllerImage({Word(24)}).replace(0, 1, "\xFF"), threeText,
         ""},
        {"free slot inside the chain", std::string(three).replace(SLOT_SIZE, 1, "\xFF"), "G0\r\n", ""},
        {"code without text inside the chain", ControllerImage(Chain({Word(23), Word(34), Word(31)})), "",
         Msg::DECODE_FAILED},
        {"unknown kind inside the chain", std::string(three).replace(SLOT_SIZE, 1, "\x03"), "",
         Msg::DECODE_FAILED},
        {"more than 500 frames", ControllerImage(Chain(std::vector<ProgramFrame>(503, Word(24)))),
         Lines(std::vector<std::string>(500, "G1")), ""},
        {"longest line", ControllerImage(Chain({Word(0, 65535, INT32_MIN, 0x00)})),
         "//X-2147483.648F65535\r\n", ""},
    };
    int index = 0;
    for (const ImageRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string folder = PathOf("image" + std::to_string(index++));
        fs::create_directories(folder + "/cli");
        fs::create_directories(folder + "/app");
        const std::string image = folder + "/x.prgVem730.tmp";
        if (row.image)
            WriteWholeFile(image, *row.image);

        const VemsyncRun run = Vemsync({"export", image, folder + "/cli/x.prgVem730"});

        FakeUi ui;
        bool exported = false;
        {
            CReplacementFile target;
            ASSERT_TRUE(target.Begin(folder + "/app/x.prgVem730"));
            const std::optional<TransferFailure> failure = ExportProgramText(image, target);
            if (failure)
                ShowFailure(ui, *failure);
            exported = !failure;
        }

        const std::vector<std::string> expected =
            row.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.message};
        EXPECT_EQ(ui.Warnings(), expected);
        EXPECT_EQ(exported, row.message.empty());
        EXPECT_EQ(LinesOf(run.err), expected) << run.Describe();
        EXPECT_EQ(run.status, row.message.empty() ? 0 : 1) << run.Describe();
        EXPECT_EQ(run.out, "");
        if (row.message.empty()) {
            EXPECT_EQ(ReadWholeFile(folder + "/cli/x.prgVem730"), row.text);
            EXPECT_EQ(ReadWholeFile(folder + "/app/x.prgVem730"), row.text);
        }
        EXPECT_EQ(FolderEntries(folder + "/cli"), FolderEntries(folder + "/app"));
    }
}

TEST_F(OfflineTools, ExportOfAMissingImageNamesIt)
{
    const std::string image = PathOf("absent.tmp");
    const VemsyncRun run = Vemsync({"export", image, PathOf("out.prgVem730")});
    FakeUi ui;
    CReplacementFile target;
    ASSERT_TRUE(target.Begin(PathOf("app.prgVem730")));
    const std::optional<TransferFailure> failure = ExportProgramText(image, target);
    ASSERT_TRUE(failure);
    ShowFailure(ui, *failure);
    ASSERT_EQ(ui.Warnings().size(), 1u);
    EXPECT_NE(ui.Warnings()[0].find(image), std::string::npos) << ui.Warnings()[0];
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(LinesOf(run.err), ui.Shown());
    EXPECT_FALSE(FileExists(PathOf("out.prgVem730")));
}

struct ChainRow {
    const char* name;
    std::vector<ProgramFrame> frames;
    const char* message; // nullptr: the read succeeds
};

// The image the read command received from the controller, exported by
// vemsync, gives the very text the read command wrote.
TEST_F(OfflineTools, ExportOfWhatTheControllerSentGivesTheReadCommandsText)
{
    std::vector<ProgramFrame> broken = ChainOf({"G90", "G0", "M30"});
    broken[1].setCode(60);
    std::vector<ProgramFrame> disabled = ChainOf({"G90", "X1.000F10", "M6T3", "G4.5", "M30"});
    disabled[2].setActive(0);
    std::vector<std::string> full;
    for (std::size_t i = 0; i < PROGRAM_SLOTS; ++i)
        full.push_back(WORDS[i % WORDS.size()]);
    const ChainRow rows[] = {
        {"empty program", {}, nullptr},
        {"one word", ChainOf({"M30"}), nullptr},
        {"seven words", ChainOf({"G90", "G54", "M6T3", "G0", "X12.345F100", "Y-0.500F05", "M30"}), nullptr},
        {"a disabled word", disabled, nullptr},
        {"a full program area", ChainOf(full), nullptr},
        {"a word without text", broken, Msg::DECODE_FAILED},
    };
    int index = 0;
    for (const ChainRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string folder = PathOf("chain" + std::to_string(index++));
        fs::create_directory(folder);
        ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 5}, row.frames));

        TakeLine();
        const std::size_t firstLine = LogLineCount();
        m_ui.events.clear();
        const CommandResult result = Read(DataKind::Program, "5", folder + "/read");
        ReleaseLine();
        const std::string image = ImageFromLog(firstLine, ProgramFileNumber(LinkFile::Program, 5),
                                               row.frames.size());
        ASSERT_EQ(image.size(), row.frames.size() * SLOT_SIZE);
        EXPECT_EQ(FolderEntries(folder), row.message ? std::vector<std::string>{}
                                                     : std::vector<std::string>{"read.prgVem730"})
            << "the image is a private file, gone after the read";
        WriteWholeFile(folder + "/received.image", image);

        const VemsyncRun run = Vemsync({"export", folder + "/received.image", folder + "/exported"});
        const std::vector<std::string> expected =
            row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{};
        EXPECT_EQ(m_ui.Warnings(), expected);
        EXPECT_EQ(result, row.message ? CommandResult::Failed : CommandResult::Done);
        EXPECT_EQ(LinesOf(run.err), expected) << run.Describe();
        EXPECT_EQ(run.status, row.message ? 1 : 0) << run.Describe();
        EXPECT_EQ(FileExists(folder + "/exported"), FileExists(folder + "/read.prgVem730"));
        if (!row.message) {
            EXPECT_EQ(ReadWholeFile(folder + "/exported"), ReadWholeFile(folder + "/read.prgVem730"));
        }
    }
}

} // namespace
