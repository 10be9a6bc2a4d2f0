// CTextLineReader: a program text one physical line at a time, as the controller takes it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/binary_file.h"

// Reads a program text one physical line at a time, the way the controller's
// words are taken from it:
// - LF ends a line; a CR directly before the LF is not part of it, so CR LF
//   and LF files read alike;
// - at most TEXT_LINE_MAX characters of a line are kept; the rest of a longer
//   line is discarded and reading goes on with the next line;
// - the last line needs no LF.
// The bytes are kept as they are (a NUL included); LineText finds the word.
class CTextLineReader {
public:
    static constexpr std::size_t TEXT_LINE_MAX = 19;
    static constexpr std::size_t TEXT_LINE_ROOM = TEXT_LINE_MAX + 1;
    using LineBuffer = std::array<char, TEXT_LINE_ROOM>;

    bool Open(const std::string& path);
    bool IsOpen() const { return m_file.IsOpen(); }
    const FileError& LastError() const { return m_file.LastError(); }
    // Throws FileException when the system reports a failure.
    void Close();

    // Fills line with the next line's kept characters and a NUL; false at the
    // end of the file, when no line is left. Throws FileException when a read
    // fails.
    bool ReadLine(LineBuffer& line);
    // The physical number of the line ReadLine returned last (1-based).
    std::uint32_t LineNumber() const { return m_lineNumber; }
    // The characters that line had, kept or not (a CR before its LF not
    // counted).
    std::size_t LineLength() const { return m_lineLength; }

    // The word of a line: from its first character that is not a space to
    // its first NUL; nullptr when nothing is left (a blank line). Tabs are not
    // skipped.
    static char* LineText(LineBuffer& line);

private:
    static constexpr std::size_t CHUNK_SIZE = 4096;

    // Next byte of the file, or -1 at its end.
    int NextByte();

    CBinaryFile m_file;
    std::array<std::uint8_t, CHUNK_SIZE> m_chunk{};
    std::size_t m_chunkLength = 0;
    std::size_t m_chunkPos = 0;
    bool m_atEnd = false;
    std::uint32_t m_lineNumber = 0;
    std::size_t m_lineLength = 0;
};
