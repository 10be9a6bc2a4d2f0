// CControllerModel: the simulated controller's memory, read and written by file record.
#include "sim/controller_model.h"

#include <algorithm>

#include "sim/sample_programs.h"

namespace {

constexpr std::uint8_t FREE_BYTE = 0xFF;
constexpr unsigned FILE_KIND_MASK = 0xFF;
constexpr unsigned FILE_NUMBER_SHIFT = 8;

std::vector<std::uint8_t> SeededBlock(unsigned block, std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = SeedParamByte(block, i);
    return bytes;
}

// Cuts or extends a block; bytes added take the seed pattern at their offsets.
void ResizeBlock(std::vector<std::uint8_t>& bytes, unsigned block, std::size_t size)
{
    const std::size_t old = bytes.size();
    bytes.resize(size);
    for (std::size_t i = old; i < size; ++i)
        bytes[i] = SeedParamByte(block, i);
}

std::vector<std::uint8_t> EmptyArea(std::uint16_t slots)
{
    std::vector<std::uint8_t> area(std::size_t{slots} * CControllerModel::SLOT_SIZE);
    const CControllerModel::Slot empty = CControllerModel::EmptySlot();
    for (std::size_t s = 0; s < slots; ++s)
        std::copy(empty.begin(), empty.end(), area.begin() + s * CControllerModel::SLOT_SIZE);
    return area;
}

} // namespace

CControllerModel::Slot CControllerModel::EmptySlot()
{
    Slot slot;
    slot.fill(FREE_BYTE);
    StoreLe32(&slot[ProgramFrame::COORDINATE_OFFSET], 0);
    return slot;
}

ProgramFrame CControllerModel::EmptyFrame()
{
    const Slot slot = EmptySlot();
    ProgramFrame f;
    std::copy_n(slot.begin(), ProgramFrame::SIZE, f.bytes.begin());
    return f;
}

CControllerModel::CControllerModel(const ControllerInfo& descriptor)
    : m_descriptor(descriptor)
{
    m_general = SeededBlock(GENERAL_BLOCK, descriptor.generalParamSize());
    for (unsigned axis = 0; axis < descriptor.axisCount(); ++axis) {
        const auto block = SeededBlock(GENERAL_BLOCK + 1 + axis, descriptor.axisParamSize());
        m_axes.insert(m_axes.end(), block.begin(), block.end());
    }
    m_programs.assign(PROGRAM_COUNT, EmptyArea(PROGRAM_SLOTS));
    m_subprograms.assign(SUBPROGRAM_COUNT, EmptyArea(SUBPROGRAM_SLOTS));
}

void CControllerModel::Resize(const ControllerInfo& descriptor)
{
    ResizeBlock(m_general, GENERAL_BLOCK, descriptor.generalParamSize());

    const std::size_t oldSize = m_descriptor.axisParamSize();
    const std::size_t newSize = descriptor.axisParamSize();
    std::vector<std::uint8_t> axes;
    for (unsigned axis = 0; axis < descriptor.axisCount(); ++axis) {
        std::vector<std::uint8_t> block;
        if (axis < m_descriptor.axisCount()) {
            const auto from = m_axes.begin() + static_cast<std::ptrdiff_t>(axis * oldSize);
            block.assign(from, from + static_cast<std::ptrdiff_t>(oldSize));
        }
        ResizeBlock(block, GENERAL_BLOCK + 1 + axis, newSize);
        axes.insert(axes.end(), block.begin(), block.end());
    }
    m_axes = std::move(axes);
    m_descriptor = descriptor;
}

bool CControllerModel::SetGeneralParams(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != m_general.size())
        return false;
    std::copy(bytes.begin(), bytes.end(), m_general.begin());
    return true;
}

bool CControllerModel::SetAxisParams(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != m_axes.size())
        return false;
    std::copy(bytes.begin(), bytes.end(), m_axes.begin());
    return true;
}

std::span<const std::uint8_t> CControllerModel::AxisBlock(std::uint8_t axis) const
{
    if (axis >= m_descriptor.axisCount())
        return {};
    const std::size_t size = m_descriptor.axisParamSize();
    return std::span<const std::uint8_t>(m_axes).subspan(axis * size, size);
}

void CControllerModel::ReadGeneral(std::uint16_t offset, std::span<std::uint8_t> out) const
{
    std::fill(out.begin(), out.end(), 0);
    if (offset >= m_general.size())
        return;
    const std::size_t n = std::min(out.size(), m_general.size() - offset);
    std::copy_n(m_general.begin() + offset, n, out.begin());
}

bool CControllerModel::WriteGeneral(std::uint16_t offset, std::span<const std::uint8_t> bytes)
{
    if (std::size_t{offset} + bytes.size() > m_general.size())
        return false;
    std::copy(bytes.begin(), bytes.end(), m_general.begin() + offset);
    return true;
}

bool CControllerModel::WriteAxis(std::uint8_t axis, std::span<const std::uint8_t> bytes)
{
    if (axis >= m_descriptor.axisCount() || bytes.size() != m_descriptor.axisParamSize())
        return false;
    std::copy(bytes.begin(), bytes.end(), m_axes.begin() + axis * bytes.size());
    return true;
}

std::optional<ProgramId> CControllerModel::ProgramFromFile(std::uint16_t file)
{
    const unsigned kind = file & FILE_KIND_MASK;
    const unsigned number = (unsigned{file} >> FILE_NUMBER_SHIFT) + 1;
    ProgramId id;
    if (kind == static_cast<unsigned>(LinkFile::Program))
        id = {LinkFile::Program, number};
    else if (kind == static_cast<unsigned>(LinkFile::Subprogram))
        id = {LinkFile::Subprogram, number};
    else
        return std::nullopt;
    if (!IsValid(id))
        return std::nullopt;
    return id;
}

std::uint16_t CControllerModel::SlotCount(LinkFile kind)
{
    return kind == LinkFile::Subprogram ? SUBPROGRAM_SLOTS : PROGRAM_SLOTS;
}

bool CControllerModel::IsValid(ProgramId id)
{
    if (id.kind == LinkFile::Program)
        return id.number >= 1 && id.number <= PROGRAM_COUNT;
    if (id.kind == LinkFile::Subprogram)
        return id.number >= 1 && id.number <= SUBPROGRAM_COUNT;
    return false;
}

std::vector<std::uint8_t>& CControllerModel::Area(ProgramId id)
{
    return id.kind == LinkFile::Subprogram ? m_subprograms.at(id.number - 1)
                                           : m_programs.at(id.number - 1);
}

const std::vector<std::uint8_t>& CControllerModel::Area(ProgramId id) const
{
    return id.kind == LinkFile::Subprogram ? m_subprograms.at(id.number - 1)
                                           : m_programs.at(id.number - 1);
}

std::uint16_t CControllerModel::ProgramSize(ProgramId id) const
{
    const auto& area = Area(id);
    const std::uint16_t slots = SlotCount(id.kind);
    const auto kindAt = [&](std::size_t s) { return area[s * SLOT_SIZE + ProgramFrame::KIND_OFFSET]; };

    if (kindAt(0) != FRAME_FIRST)
        return 0;
    if (LoadLe16(&area[ProgramFrame::NEXT_OFFSET]) == NO_LINK)
        return 1;
    std::uint16_t s = 1;
    for (; s < slots; ++s) {
        const std::uint8_t kind = kindAt(s);
        if (kind == FRAME_LAST)
            return static_cast<std::uint16_t>(s + 1);
        if (kind != FRAME_MIDDLE)
            break;
    }
    return s;
}

void CControllerModel::ReadFrames(ProgramId id, std::uint16_t first, std::uint16_t count,
                                  std::uint8_t frameSize, std::span<std::uint8_t> out) const
{
    const auto& area = Area(id);
    const std::uint16_t size = ProgramSize(id);
    const Slot empty = EmptySlot();
    const std::size_t copied = std::min<std::size_t>(frameSize, SLOT_SIZE);
    std::fill(out.begin(), out.end(), 0);
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::size_t slot = std::size_t{first} + i;
        const std::uint8_t* from =
            slot < size ? &area[slot * SLOT_SIZE] : empty.data();
        std::copy_n(from, copied, out.begin() + std::size_t{i} * frameSize);
    }
}

bool CControllerModel::WriteFrames(ProgramId id, std::uint16_t first, std::uint8_t frameSize,
                                   std::span<const std::uint8_t> bytes)
{
    if (frameSize == 0 || bytes.size() % frameSize != 0)
        return false;
    const std::size_t count = bytes.size() / frameSize;
    if (std::size_t{first} + count > SlotCount(id.kind))
        return false;
    auto& area = Area(id);
    const Slot empty = EmptySlot();
    const std::size_t copied = std::min<std::size_t>(frameSize, SLOT_SIZE);
    for (std::size_t i = 0; i < count; ++i) {
        const auto slot = area.begin() + static_cast<std::ptrdiff_t>((first + i) * SLOT_SIZE);
        std::copy(empty.begin(), empty.end(), slot);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(i * frameSize), copied, slot);
    }
    return true;
}

void CControllerModel::DeleteProgram(ProgramId id)
{
    Area(id) = EmptyArea(SlotCount(id.kind));
}

std::vector<ProgramFrame> CControllerModel::ProgramFrames(ProgramId id) const
{
    const auto& area = Area(id);
    std::vector<ProgramFrame> frames(ProgramSize(id));
    for (std::size_t i = 0; i < frames.size(); ++i)
        std::copy_n(area.begin() + static_cast<std::ptrdiff_t>(i * SLOT_SIZE), ProgramFrame::SIZE,
                    frames[i].bytes.begin());
    return frames;
}

bool CControllerModel::SetProgramFrames(ProgramId id, std::span<const ProgramFrame> frames)
{
    if (!IsValid(id) || frames.size() > SlotCount(id.kind))
        return false;
    auto area = EmptyArea(SlotCount(id.kind));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const auto slot = area.begin() + static_cast<std::ptrdiff_t>(i * SLOT_SIZE);
        std::fill_n(slot, SLOT_SIZE, FREE_BYTE);
        std::copy(frames[i].bytes.begin(), frames[i].bytes.end(), slot);
    }
    Area(id) = std::move(area);
    return true;
}

std::span<const std::uint8_t> CControllerModel::ProgramArea(ProgramId id) const
{
    return Area(id);
}

bool CControllerModel::SetProgramArea(ProgramId id, std::span<const std::uint8_t> bytes)
{
    if (!IsValid(id))
        return false;
    auto& area = Area(id);
    if (bytes.size() != area.size())
        return false;
    std::copy(bytes.begin(), bytes.end(), area.begin());
    return true;
}
