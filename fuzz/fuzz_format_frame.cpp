// Any 16 bytes as a frame, any bytes after them as the axis format tables:
// the line always fits its room, is empty when there is no text, and the
// parser reads it without fault.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "codec/axis_format.h"
#include "codec/frame_format.h"
#include "codec/line_parser.h"
#include "codec/translate.h"

namespace {

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

// Fills the axis tables from the bytes after the frame; missing bytes are 0.
void LoadTables(const std::uint8_t* data, std::size_t size)
{
    std::size_t at = 0;
    auto next = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };
    for (std::uint32_t& format : theAxisFormats) {
        format = next();
    }
    for (auto& entry : theAxisLetterMap) {
        for (std::uint8_t& b : entry) {
            b = next();
        }
    }
    theAxisMapCount = next();
    theCurrentCodec = next() % 2 == 0 ? nullptr : &theAngleCodec;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < ProgramFrame::SIZE) {
        return 0;
    }
    ProgramFrame frame;
    std::memcpy(frame.bytes.data(), data, ProgramFrame::SIZE);
    LoadTables(data + ProgramFrame::SIZE, size - ProgramFrame::SIZE);

    char out[FRAME_TEXT_ROOM + 1];
    std::memset(out, '#', sizeof out);
    const bool hasText = FormatFrame(frame, std::span<char, FRAME_TEXT_ROOM>(out, FRAME_TEXT_ROOM));
    Check(out[FRAME_TEXT_ROOM] == '#', "wrote past the room");
    const void* nul = std::memchr(out, '\0', FRAME_TEXT_ROOM);
    Check(nul != nullptr, "no NUL within the room");
    const std::string_view text(out);
    Check(text.size() <= FRAME_TEXT_MAX, "line longer than FRAME_TEXT_MAX");
    Check(hasText || text.empty(), "text left behind for a frame without text");
    Check(!hasText || !text.empty(), "empty text reported as text");

    ProgramFrame parsed;
    ParseLine(out, parsed, frame);
    return 0;
}
