// CProgramImage: one program's image file, its 32-byte slots and its text conversions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codec/frame_format.h"
#include "codec/program_frame.h"
#include "platform/binary_file.h"
#include "platform/file_error.h"
#include "image/lossy_line.h"
#include "image/text_line_reader.h"

// The image file: one program held as the controller holds it, one frame at
// the start of each 32-byte slot, frames chained from slot 0 in consecutive
// slots. No header; slot i starts at offset i * SLOT_SIZE.
inline constexpr std::size_t SLOT_SIZE = 32;
inline constexpr std::size_t FRAME_SIZE = ProgramFrame::SIZE;
inline constexpr std::uint16_t PROGRAM_SLOTS = 500;
inline constexpr std::uint16_t SUBPROGRAM_SLOTS = 100;

// Values of a frame's kind byte.
inline constexpr std::uint8_t FRAME_FIRST = 1;
inline constexpr std::uint8_t FRAME_MIDDLE = 0;
inline constexpr std::uint8_t FRAME_LAST = 2;
inline constexpr std::uint8_t FRAME_FREE = 0xFF;

inline constexpr std::uint16_t NO_LINK = 0xFFFF;

// The kind every program image of this system is made with.
inline constexpr std::int32_t PROGRAM_IMAGE_KIND = 3;

// One program or subprogram during a transfer: its image file, the frame the
// text is decoded from (m_currentFrame) and the frame a text line is parsed
// into (m_newFrame), and the conversions between a program text and an image.
//
// One object serves one conversion. The conversions never throw: a failure of
// the file system closes what they opened, gives their failure value and is
// kept in FileFailure(). The frame operations let FileException through.
class CProgramImage {
public:
    CProgramImage(std::int32_t kind, std::string sourcePath, std::string destPath,
                  std::int32_t programNo, std::int32_t subprogramNo);
    CProgramImage(const CProgramImage&) = delete;
    CProgramImage& operator=(const CProgramImage&) = delete;

    // Choose the area the import fills; the number does not move the frames,
    // which always start at slot 0.
    void SelectProgram(int number);
    void SelectSubprogram(int number);

    // 0 when every line of the text at m_sourcePath is accepted; the 1-based
    // physical number of the first line that is not; -1 when the text cannot
    // be read.
    int CheckText();
    // The text of the line CheckText rejected last, from its first character
    // that is not a space.
    const std::string& RejectedLine() const { return m_rejectedLine; }
    // Makes ImportText add every line it does not take as written to
    // `lines` (none: stop collecting).
    void CollectLossyLines(std::vector<LossyLine>* lines) { m_lossyLines = lines; }
    // Builds the image at m_destPath from the text at m_sourcePath and closes
    // both. The number of frames written; 0 when the text holds no word or a
    // file cannot be opened or created; -1 when a line is rejected, the area
    // is full, or writing or reading fails midway.
    int ImportText();
    // Writes the text of the image at m_sourcePath to m_destPath, each line
    // ended by CR LF, and closes both. False when a file cannot be opened,
    // read or fully written, or when a frame before the end of the chain has
    // no text.
    bool ExportText();

    // Why the last conversion failed, when the file system made it fail.
    const std::optional<FileError>& FileFailure() const { return m_fileFailure; }

    // Frame operations on the open image file.
    bool ReadFrame(std::uint16_t index);
    std::uint8_t ReadFrameKind(std::uint16_t index);
    bool RereadCurrent();
    bool WriteCurrentFrame();
    bool WriteNewFrame();
    void ResetCurrentFrame();
    void ClearArea();
    bool FindFreeSlot();
    bool StepNext();
    // Parses one NUL-terminated line (which the parser may shorten) and links
    // it after the current frame as the new last frame; `reading`, when
    // given, says what the parse did not read as written.
    bool AppendLine(char* text, LineReading* reading = nullptr);
    bool ReadFrameText(std::uint16_t index, std::span<char, FRAME_TEXT_ROOM> out);

    // Slots of the selected area.
    std::uint16_t AreaSlots() const;

    std::uint16_t m_cursor = 0;
    CBinaryFile m_imageFile;
    std::uint8_t m_area = 0;
    std::uint16_t m_foundIndex = 0;
    std::uint16_t m_frameCount = 0;
    std::uint16_t m_currentIndex = 0;
    std::uint16_t m_targetIndex = 0;
    ProgramFrame m_currentFrame;
    ProgramFrame m_newFrame;
    // The line the parser reads; set by AppendLine for the call.
    char* m_line = nullptr;
    CTextLineReader m_textIn;
    std::string m_sourcePath;
    std::string m_destPath;
    std::int32_t m_kind;
    std::int32_t m_programNo;
    std::int32_t m_subprogramNo;

private:
    int ImportLines();
    bool AppendReporting(CTextLineReader::LineBuffer& line, char* word);

    std::optional<FileError> m_fileFailure;
    std::string m_rejectedLine;
    std::vector<LossyLine>* m_lossyLines = nullptr;
};
