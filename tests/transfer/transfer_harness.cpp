// TransferTest: the commands against the simulator, with guarded buffer and logged requests.
#include "tests/transfer/transfer_harness.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "codec/byte_order.h"
#include "codec/line_parser.h"
#include "image/program_image.h"
#include "link/link_frame.h"

std::string LoggedRequest::Summary() const
{
    return std::string(function == LinkFrame::READ_FILE_RECORD ? "R " : "W ") +
           std::to_string(file) + " " + std::to_string(record) + " " + std::to_string(length);
}

TransferTest::TransferTest() : m_memory(TRANSFER_BUFFER_SIZE + 2 * GUARD, GUARD_BYTE)
{
    std::fill_n(m_memory.begin() + GUARD, TRANSFER_BUFFER_SIZE, STALE_BYTE);
}

void TransferTest::TearDown()
{
    // Every command, whatever its end, takes its scratch files with it.
    EXPECT_EQ(FolderEntries(PrivateFolder()), std::vector<std::string>{})
        << "temporary files left in the private folder";
    ::unsetenv("XDG_RUNTIME_DIR");
    const auto isGuard = [](std::uint8_t b) { return b == GUARD_BYTE; };
    EXPECT_TRUE(std::all_of(m_memory.begin(), m_memory.begin() + GUARD, isGuard))
        << "something was placed before the transfer buffer";
    EXPECT_TRUE(std::all_of(m_memory.end() - GUARD, m_memory.end(), isGuard))
        << "something was placed after the transfer buffer";
}

TransferBuffer TransferTest::Buffer()
{
    return TransferBuffer(m_memory.data() + GUARD, TRANSFER_BUFFER_SIZE);
}

void TransferTest::Start(SimOptions options)
{
    m_commands.reset();
    m_link.reset();
    m_sim.reset();
    // The commands' private scratch files go here, where a test can see
    // them; vemsync started by the test inherits the folder.
    ::setenv("XDG_RUNTIME_DIR", PrivateFolder().c_str(), 1);
    options.storeDir = PathOf("store");
    options.logPath = PathOf("line.log");
    m_sim = std::make_unique<CSimulator>(options);
    std::string error;
    ASSERT_TRUE(m_sim->Start(error)) << error;
    Relink(PATIENT_TIMEOUT_MS);
}

void TransferTest::Relink(std::uint16_t timeoutMs)
{
    m_commands.reset();
    m_link.reset();
    m_link = std::make_unique<CControllerLink>(CControllerLink::REOPEN_BAUD_RATE,
                                               m_sim->SlavePath().c_str(), timeoutMs);
    ASSERT_TRUE(m_link->IsOpen());
    m_commands = std::make_unique<CTransferCommands>(*m_link, m_info, Buffer(), m_ui);
}

CommandResult TransferTest::Read(DataKind kind, const std::string& number, const std::string& file)
{
    return m_commands->Read(kind, number, file);
}

CommandResult TransferTest::Write(DataKind kind, const std::string& number, const std::string& file)
{
    return m_commands->Write(kind, number, file);
}

std::vector<LoggedRequest> TransferTest::Requests() const
{
    std::vector<LoggedRequest> requests;
    std::ifstream log(m_folder.Path() + "/line.log");
    std::string line;
    while (std::getline(log, line)) {
        std::istringstream words(line);
        std::string stamp, tag;
        words >> stamp >> tag;
        if (tag != "REQ")
            continue;
        std::vector<std::uint8_t> bytes;
        std::string hex;
        while (words >> hex)
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex, nullptr, 16)));
        if (bytes.size() < LinkFrame::READ_REQUEST_SIZE)
            continue;
        LoggedRequest request;
        request.function = bytes[LinkFrame::FUNCTION_OFFSET];
        request.file = LoadBe16(&bytes[LinkFrame::FILE_OFFSET]);
        request.record = LoadBe16(&bytes[LinkFrame::RECORD_OFFSET]);
        request.length = LoadBe16(&bytes[LinkFrame::LENGTH_OFFSET]);
        if (request.function == LinkFrame::WRITE_FILE_RECORD)
            request.data.assign(bytes.begin() + LinkFrame::REQUEST_HEADER_SIZE,
                                bytes.end() - LinkFrame::CRC_SIZE);
        requests.push_back(std::move(request));
    }
    return requests;
}

std::vector<std::string> TransferTest::RequestSummaries() const
{
    std::vector<std::string> summaries;
    for (const LoggedRequest& request : Requests())
        summaries.push_back(request.Summary());
    return summaries;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string CrLfText(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::vector<ProgramFrame> ChainOf(const std::vector<std::string>& lines)
{
    std::vector<ProgramFrame> frames;
    ProgramFrame previous;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ProgramFrame frame = previous;
        std::string text = lines[i];
        EXPECT_TRUE(ParseLine(text.data(), frame, previous)) << lines[i];
        const bool last = i + 1 == lines.size();
        frame.setKind(i == 0 ? FRAME_FIRST : last ? FRAME_LAST : FRAME_MIDDLE);
        frame.setActive(0xFF);
        frame.setPrev(i == 0 ? NO_LINK : static_cast<std::uint16_t>(i - 1));
        frame.setNext(last ? NO_LINK : static_cast<std::uint16_t>(i + 1));
        frames.push_back(frame);
        previous = frame;
    }
    return frames;
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::map<std::string, std::string> FolderFiles(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const std::string& name : FolderEntries(folder))
        files[name] = ReadWholeFile(folder + "/" + name);
    return files;
}

const std::vector<std::string> SAMPLE_WORDS = {
    "G90", "G54", "M6T3", "G0", "X12.345F100", "Y-0.500F05", "G1", "Z-2.000F200",
    "F300", "G4.5", "M3", "G17", "G41", "X0.000F00", "G40", "M30",
};

std::vector<std::string> ProgramLines(std::size_t count)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < count; ++i)
        lines.push_back(SAMPLE_WORDS[i % SAMPLE_WORDS.size()]);
    return lines;
}

std::string ParameterFileOf(const CSimulator& sim)
{
    std::vector<std::uint8_t> bytes = sim.GeneralParams();
    for (std::uint8_t axis = 0; axis < sim.Descriptor().axisCount(); ++axis) {
        const std::vector<std::uint8_t> block = sim.AxisBlock(axis);
        bytes.insert(bytes.end(), block.begin(), block.end());
    }
    return std::string(bytes.begin(), bytes.end());
}
