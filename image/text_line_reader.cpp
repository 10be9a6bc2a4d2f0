// CTextLineReader: a program text split into lines through a chunked read.
#include "image/text_line_reader.h"

namespace {

constexpr char LINE_FEED = '\n';
constexpr char CARRIAGE_RETURN = '\r';
constexpr char SPACE = ' ';

} // namespace

bool CTextLineReader::Open(const std::string& path)
{
    m_chunkLength = 0;
    m_chunkPos = 0;
    m_atEnd = false;
    m_lineNumber = 0;
    return m_file.Open(path, CBinaryFile::Mode::Read);
}

void CTextLineReader::Close()
{
    m_chunkLength = 0;
    m_chunkPos = 0;
    m_file.Close();
}

int CTextLineReader::NextByte()
{
    if (m_chunkPos == m_chunkLength) {
        if (m_atEnd)
            return -1;
        m_chunkLength = m_file.Read(m_chunk);
        m_chunkPos = 0;
        if (m_chunkLength < m_chunk.size())
            m_atEnd = true;
        if (m_chunkLength == 0)
            return -1;
    }
    return m_chunk[m_chunkPos++];
}

bool CTextLineReader::ReadLine(LineBuffer& line)
{
    std::size_t count = 0;
    const auto keep = [&](char c) {
        if (count < TEXT_LINE_MAX)
            line[count] = c;
        ++count;
    };

    bool anything = false;
    // A CR is held back until the next byte shows whether it ends the line.
    bool heldCr = false;
    for (;;) {
        const int next = NextByte();
        if (next < 0)
            break;
        anything = true;
        const char c = static_cast<char>(next);
        if (c == LINE_FEED) {
            heldCr = false;
            break;
        }
        if (heldCr)
            keep(CARRIAGE_RETURN);
        heldCr = c == CARRIAGE_RETURN;
        if (!heldCr)
            keep(c);
    }
    if (heldCr)
        keep(CARRIAGE_RETURN);
    if (!anything)
        return false;
    line[count < TEXT_LINE_MAX ? count : TEXT_LINE_MAX] = '\0';
    m_lineLength = count;
    ++m_lineNumber;
    return true;
}

char* CTextLineReader::LineText(LineBuffer& line)
{
    std::size_t p = 0;
    while (p < TEXT_LINE_ROOM && line[p] == SPACE)
        ++p;
    if (p == TEXT_LINE_ROOM || line[p] == '\0')
        return nullptr;
    return &line[p];
}
