// The conversions between a program text file and an image file.

#include <algorithm>
#include <array>
#include <climits>
#include <vector>

#include "codec/line_parser.h"
#include "image/program_image.h"

namespace {

// The first 8000 bytes of a new image are 0xFF (slots 0 to 249); the import
// then writes a frame at the start of every slot of the area, so a slot's
// second half reads 0xFF below that mark and 0x00 past it.
constexpr std::size_t IMAGE_FILL_SIZE = 8000;
constexpr std::uint8_t IMAGE_FILL = 0xFF;

constexpr std::uint8_t CR = 0x0D;
constexpr std::uint8_t LF = 0x0A;
constexpr std::size_t LINE_END_SIZE = 2;

// For the clean-up after a failure that is already being reported.
template <typename File>
void CloseQuietly(File& file)
{
    try {
        file.Close();
    } catch (const FileException&) {
    }
}

bool EndsChain(const ProgramFrame& frame)
{
    return frame.kind() == FRAME_LAST || (frame.kind() == FRAME_FIRST && frame.next() == NO_LINK);
}

} // namespace

int CProgramImage::CheckText()
{
    m_fileFailure.reset();
    m_rejectedLine.clear();
    CTextLineReader text;
    if (!text.Open(m_sourcePath)) {
        m_fileFailure = text.LastError();
        return -1;
    }
    try {
        CTextLineReader::LineBuffer line;
        while (text.ReadLine(line)) {
            char* word = CTextLineReader::LineText(line);
            if (word == nullptr)
                continue; // a blank line holds no word
            bool disabled = false;
            if (!ParseLine(WordOf(word, disabled), m_newFrame, m_currentFrame)) {
                m_rejectedLine = word;
                text.Close();
                return static_cast<int>(std::min<std::uint32_t>(text.LineNumber(), INT_MAX));
            }
        }
        text.Close();
        return 0;
    } catch (const FileException& e) {
        m_fileFailure = e.Error();
        CloseQuietly(text);
        return -1;
    }
}

int CProgramImage::ImportText()
{
    m_fileFailure.reset();
    // Whatever CheckText parsed last must not reach the image: the frames
    // before the first axis word carry coordinate 0.
    m_newFrame = ProgramFrame{};
    if (!m_imageFile.Open(m_destPath, CBinaryFile::Mode::CreateReadWrite)) {
        m_fileFailure = m_imageFile.LastError();
        return 0;
    }
    // The frames reach the disk together when the image is closed; the
    // free-slot scan of every line then reads from memory.
    m_imageFile.DeferWrites();
    try {
        const std::vector<std::uint8_t> fill(IMAGE_FILL_SIZE, IMAGE_FILL);
        m_imageFile.Write(fill);
        m_imageFile.Seek(0);

        if (m_textIn.IsOpen())
            m_textIn.Close();
        if (!m_textIn.Open(m_sourcePath)) {
            m_fileFailure = m_textIn.LastError();
            CloseQuietly(m_imageFile);
            return 0;
        }
        const int count = ImportLines();
        m_textIn.Close();
        m_imageFile.Close();
        return count;
    } catch (const FileException& e) {
        m_fileFailure = e.Error();
        CloseQuietly(m_textIn);
        CloseQuietly(m_imageFile);
        return -1;
    }
}

// Appends a frame for every word of the open text; -1 at the first line that
// is rejected or does not fit the area.
int CProgramImage::ImportLines()
{
    ClearArea();
    ReadFrame(0);
    int count = 0;
    CTextLineReader::LineBuffer line;
    while (m_textIn.ReadLine(line)) {
        char* word = CTextLineReader::LineText(line);
        if (word == nullptr)
            continue; // a blank line holds no word
        if (m_lossyLines == nullptr) {
            if (!AppendLine(word))
                return -1;
        } else if (!AppendReporting(line, word)) {
            return -1;
        }
        ++count;
    }
    return count;
}

// AppendLine that notes a line the import does not take as written.
bool CProgramImage::AppendReporting(CTextLineReader::LineBuffer& line, char* word)
{
    // The parser may cut the line; what was typed is kept first.
    const std::size_t kept = std::min(m_textIn.LineLength(), CTextLineReader::TEXT_LINE_MAX);
    const std::string typed(word, line.data() + kept);
    LineReading reading;
    if (!AppendLine(word, &reading))
        return false;
    if (typed.find('\0') != std::string::npos)
        reading.Add(LossyKind::NulInLine);
    if (m_textIn.LineLength() > CTextLineReader::TEXT_LINE_MAX)
        reading.Add(LossyKind::LineTooLong);
    if (reading.Exact())
        return true;
    ProgramFrame stored = m_newFrame;
    std::array<char, FRAME_TEXT_ROOM> text{};
    FormatFrame(stored, text);
    m_lossyLines->push_back({m_textIn.LineNumber(), typed, text.data(), reading});
    return true;
}

bool CProgramImage::ExportText()
{
    m_fileFailure.reset();
    if (!m_imageFile.Open(m_sourcePath, CBinaryFile::Mode::Read)) {
        m_fileFailure = m_imageFile.LastError();
        return false;
    }
    CBinaryFile text;
    if (!text.Open(m_destPath, CBinaryFile::Mode::CreateWrite)) {
        m_fileFailure = text.LastError();
        CloseQuietly(m_imageFile);
        return false;
    }
    try {
        std::vector<std::uint8_t> out;
        out.reserve(std::size_t{PROGRAM_SLOTS} * (FRAME_TEXT_MAX + LINE_END_SIZE));
        // The loop runs slot by slot and goes on past the chain's last frame
        // while frames decode. It ends normally at the end of the file, at a
        // free slot, after the chain's last frame or after the last slot; a
        // frame without text inside the chain means the program is not whole.
        bool chainEnded = false;
        bool whole = true;
        std::array<char, FRAME_TEXT_ROOM> line{};
        for (std::uint16_t i = 0; i < PROGRAM_SLOTS; ++i) {
            if (!ReadFrameText(i, line)) {
                const bool beyondEnd = m_imageFile.Length() < i * SLOT_SIZE + FRAME_SIZE;
                if (!beyondEnd && m_currentFrame.kind() != FRAME_FREE && !chainEnded)
                    whole = false;
                break;
            }
            // The longest text fills FRAME_TEXT_MAX characters; nothing beyond
            // them is written.
            const auto end = std::find(line.begin(), line.begin() + FRAME_TEXT_MAX, '\0');
            for (auto c = line.begin(); c != end; ++c)
                out.push_back(static_cast<std::uint8_t>(*c));
            out.push_back(CR);
            out.push_back(LF);
            chainEnded = chainEnded || EndsChain(m_currentFrame);
        }
        m_imageFile.Close();
        text.Write(out);
        // The command renames this file over the user's: its bytes must be on
        // the disk first.
        text.Sync();
        text.Close();
        return whole;
    } catch (const FileException& e) {
        m_fileFailure = e.Error();
        CloseQuietly(m_imageFile);
        CloseQuietly(text);
        return false;
    }
}
