// CProgramImage's frames: reading, writing and chaining the slots of an image file.
#include "image/program_image.h"

#include <utility>

#include "codec/line_parser.h"

namespace {

constexpr std::uint8_t AREA_PROGRAM = 0;
constexpr std::uint8_t AREA_SUBPROGRAM = 1;

constexpr std::uint8_t FRAME_ACTIVE = 0xFF;
constexpr std::uint8_t NO_CODE = 0xFF;

// The reserved bytes (7, 8 and 15) of every frame this program writes, and
// the number of an empty frame, are zero: nothing reads them, and fixed
// values keep any earlier memory out of the file.
constexpr std::uint8_t RESERVED_FILL = 0x00;
constexpr std::uint16_t EMPTY_NUMBER = 0;
constexpr std::int32_t EMPTY_COORDINATE = 0;

void ClearReservedBytes(ProgramFrame& frame)
{
    frame.bytes[ProgramFrame::RESERVED_OFFSET] = RESERVED_FILL;
    frame.bytes[ProgramFrame::RESERVED_OFFSET + 1] = RESERVED_FILL;
    frame.bytes[ProgramFrame::RESERVED_TAIL_OFFSET] = RESERVED_FILL;
}

std::uint64_t SlotOffset(std::uint16_t index)
{
    return std::uint64_t{index} * SLOT_SIZE;
}

bool IsUnlinked(const ProgramFrame& frame)
{
    return frame.next() == NO_LINK && frame.prev() == NO_LINK;
}

} // namespace

static_assert(CTextLineReader::TEXT_LINE_MAX == LINE_TEXT_MAX,
              "the text reader keeps exactly what the parser accepts");
static_assert(FRAME_SIZE <= SLOT_SIZE);

CProgramImage::CProgramImage(std::int32_t kind, std::string sourcePath, std::string destPath,
                             std::int32_t programNo, std::int32_t subprogramNo)
    : m_sourcePath(std::move(sourcePath)), m_destPath(std::move(destPath)), m_kind(kind),
      m_programNo(programNo), m_subprogramNo(subprogramNo)
{
}

void CProgramImage::SelectProgram(int /*number*/)
{
    m_area = AREA_PROGRAM;
}

void CProgramImage::SelectSubprogram(int /*number*/)
{
    m_area = AREA_SUBPROGRAM;
}

std::uint16_t CProgramImage::AreaSlots() const
{
    return m_area == AREA_SUBPROGRAM ? SUBPROGRAM_SLOTS : PROGRAM_SLOTS;
}

bool CProgramImage::ReadFrame(std::uint16_t index)
{
    m_currentIndex = index;
    m_imageFile.Seek(SlotOffset(index));
    ProgramFrame frame;
    if (m_imageFile.Read(frame.bytes) != FRAME_SIZE)
        return false; // the slot lies (partly) beyond the end of the file
    m_currentFrame = frame;
    return true;
}

std::uint8_t CProgramImage::ReadFrameKind(std::uint16_t index)
{
    m_imageFile.Seek(SlotOffset(index));
    std::uint8_t kind = FRAME_FREE;
    // A slot beyond the end of the file holds no frame.
    if (m_imageFile.Read({&kind, 1}) != 1)
        return FRAME_FREE;
    return kind;
}

bool CProgramImage::RereadCurrent()
{
    return ReadFrame(m_currentIndex);
}

bool CProgramImage::WriteCurrentFrame()
{
    m_imageFile.Seek(SlotOffset(m_currentIndex));
    m_imageFile.Write(m_currentFrame.bytes);
    return true;
}

bool CProgramImage::WriteNewFrame()
{
    m_imageFile.Seek(SlotOffset(m_targetIndex));
    m_imageFile.Write(m_newFrame.bytes);
    return true;
}

void CProgramImage::ResetCurrentFrame()
{
    m_currentFrame.setKind(FRAME_FREE);
    m_currentFrame.setActive(FRAME_FREE);
    m_currentFrame.setCode(NO_CODE);
    m_currentFrame.setNext(NO_LINK);
    m_currentFrame.setPrev(NO_LINK);
    m_currentFrame.setNumber(EMPTY_NUMBER);
    m_currentFrame.setCoordinate(EMPTY_COORDINATE);
    ClearReservedBytes(m_currentFrame);
}

void CProgramImage::ClearArea()
{
    ResetCurrentFrame();
    const std::uint16_t slots = AreaSlots();
    for (m_currentIndex = 0; m_currentIndex < slots; ++m_currentIndex)
        WriteCurrentFrame();
    m_frameCount = 0;
}

// Scans the area from slot 0 for the slot that takes the next frame: the slot
// after a one-frame chain, or the first free slot.
bool CProgramImage::FindFreeSlot()
{
    const std::uint16_t slots = AreaSlots();
    for (std::uint16_t i = 0; i < slots; ++i) {
        const std::uint8_t kind = ReadFrameKind(i);
        if (kind == FRAME_FIRST) {
            const ProgramFrame keptFrame = m_currentFrame;
            const std::uint16_t keptIndex = m_currentIndex;
            const bool single = ReadFrame(i) && IsUnlinked(m_currentFrame);
            m_currentFrame = keptFrame;
            m_currentIndex = keptIndex;
            if (single) {
                // A one-frame chain in the area's last slot leaves no room.
                if (i + 1 >= slots)
                    return false;
                m_foundIndex = static_cast<std::uint16_t>(i + 1);
                m_targetIndex = m_foundIndex;
                return true;
            }
        } else if (kind == FRAME_FREE) {
            m_foundIndex = i;
            m_targetIndex = i;
            return true;
        }
    }
    return false;
}

// Steps to the next slot, not to the slot named by next: the frames of an
// image lie in consecutive slots.
bool CProgramImage::StepNext()
{
    if (m_currentFrame.kind() == FRAME_FREE || m_currentFrame.next() == NO_LINK)
        return false;
    ++m_cursor;
    m_currentIndex = m_cursor;
    RereadCurrent();
    return m_currentFrame.kind() != FRAME_LAST;
}

bool CProgramImage::AppendLine(char* text, LineReading* reading)
{
    // The current frame is the empty frame of slot 0 before the first line,
    // then the frame appended last; any other frame has no place to link to.
    const bool empty = m_currentFrame.kind() == FRAME_FREE && IsUnlinked(m_currentFrame);
    const bool single = m_currentFrame.kind() == FRAME_FIRST && IsUnlinked(m_currentFrame);
    const bool last = m_currentFrame.kind() == FRAME_LAST;

    // The parser reads the current frame for an axis word whose number does
    // not convert.
    m_line = text;
    const bool parsed = reading != nullptr ? ParseLine(m_line, m_newFrame, m_currentFrame, *reading)
                                           : ParseLine(m_line, m_newFrame, m_currentFrame);
    if (!parsed)
        return false;
    if (!(empty || single || last) || !FindFreeSlot())
        return false;
    m_targetIndex = m_foundIndex;
    m_newFrame.setActive(FRAME_ACTIVE);
    ClearReservedBytes(m_newFrame);
    m_newFrame.setNext(NO_LINK);

    if (empty) {
        m_newFrame.setKind(FRAME_FIRST);
        m_newFrame.setPrev(NO_LINK);
        WriteNewFrame();
        m_currentIndex = m_targetIndex;
        RereadCurrent();
    } else if (single) {
        // The single first frame stays first and gains a last frame.
        m_newFrame.setKind(FRAME_LAST);
        m_newFrame.setPrev(m_currentIndex);
        WriteNewFrame();
        m_currentFrame.setNext(m_targetIndex);
        WriteCurrentFrame();
        StepNext();
    } else {
        // The last frame becomes a middle frame.
        m_currentFrame.setNext(m_foundIndex);
        m_currentFrame.setKind(FRAME_MIDDLE);
        WriteCurrentFrame();
        m_newFrame.setKind(FRAME_LAST);
        m_newFrame.setPrev(m_currentIndex);
        WriteNewFrame();
        StepNext();
    }
    ++m_frameCount;
    return true;
}

bool CProgramImage::ReadFrameText(std::uint16_t index, std::span<char, FRAME_TEXT_ROOM> out)
{
    if (!ReadFrame(index))
        return false;
    return FormatFrame(m_currentFrame, out);
}
