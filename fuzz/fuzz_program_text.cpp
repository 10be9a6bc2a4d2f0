// Arbitrary bytes as a program text, through the write command's check and
// import and the read command's export, in a scratch folder.
//
// Invariants:
// - nothing crashes, and no file-system failure is reported;
// - a text that passes the check imports (count >= 0) unless the area fills;
//   a text that fails the check does not import;
// - the import closes both files and leaves an image of the area's length;
// - every imported image exports (all its frames have text), one CR LF line
//   per frame, and re-imports to the same chain of the same words;
// - after one export and re-import the image is a fixed point: exporting and
//   importing it again gives the same text and the same bytes. (The first
//   round may lower a feed word to F9999 or drop a coordinate the axis codec
//   cannot read back; it never changes a word's kind or the chain.)

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "image/program_image.h"

namespace {

namespace fs = std::filesystem;

// A subprogram image keeps the 8000 bytes of filler it starts with; a program
// image ends with the first half of slot 499.
constexpr std::size_t SUBPROGRAM_IMAGE_LENGTH = 8000;
constexpr std::size_t PROGRAM_IMAGE_LENGTH = (PROGRAM_SLOTS - 1) * SLOT_SIZE + FRAME_SIZE;

[[noreturn]] void Broken(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void Require(bool holds, const char* what)
{
    if (!holds)
        Broken(what);
}

const fs::path& Folder()
{
    static const fs::path folder = [] {
        const fs::path shm = "/dev/shm";
        const fs::path base = fs::is_directory(shm) ? shm : fs::temp_directory_path();
        std::string pattern = (base / "vem-fuzz-text-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            Broken("no scratch folder");
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(Folder(), ignored);
        });
        return fs::path(pattern);
    }();
    return folder;
}

std::string PathOf(const char* name)
{
    return (Folder() / name).string();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct ImportResult {
    int check = 0;
    int count = 0;
    std::uint16_t frames = 0;
    std::string image;
};

ImportResult Import(const std::string& text, const std::string& image, bool subprogram)
{
    CProgramImage program(3, text, image, 0, 0);
    if (subprogram)
        program.SelectSubprogram(0);
    else
        program.SelectProgram(0);
    ImportResult result;
    result.check = program.CheckText();
    Require(result.check >= 0 && !program.FileFailure(), "the text can be read");
    result.count = program.ImportText();
    Require(!program.FileFailure(), "the import meets no file failure");
    Require(!program.m_imageFile.IsOpen() && !program.m_textIn.IsOpen(),
            "the import closes both files");
    result.frames = program.m_frameCount;
    result.image = ReadFile(image);

    const bool areaFull = program.m_frameCount == program.AreaSlots();
    if (result.check == 0)
        Require(result.count >= 0 || areaFull, "a checked text imports unless the area fills");
    else
        Require(result.count == -1, "a rejected text does not import");
    if (result.count >= 0)
        Require(result.count == program.m_frameCount, "the count is the frames appended");
    const std::size_t length = subprogram ? SUBPROGRAM_IMAGE_LENGTH : PROGRAM_IMAGE_LENGTH;
    Require(result.image.size() == length, "the image has the area's length");
    return result;
}

std::string Export(const std::string& image, const std::string& text)
{
    CProgramImage program(3, image, text, 0, 0);
    Require(program.ExportText(), "an imported image exports");
    Require(!program.FileFailure() && !program.m_imageFile.IsOpen(), "the export closes its files");
    return ReadFile(text);
}

std::size_t CountLines(const std::string& text)
{
    std::size_t lines = 0;
    constexpr std::string_view LINE_END = "\r\n";
    for (std::size_t at = text.find(LINE_END); at != std::string::npos;
         at = text.find(LINE_END, at + LINE_END.size()))
        ++lines;
    return lines;
}

// Everything but the coordinate and number: kind, active, code and links.
bool SameChain(const std::string& a, const std::string& b, std::uint16_t frames)
{
    constexpr std::size_t WORD_AND_LINKS_END = ProgramFrame::RESERVED_OFFSET;
    for (std::size_t slot = 0; slot < frames; ++slot)
        if (a.compare(slot * SLOT_SIZE, WORD_AND_LINKS_END, b, slot * SLOT_SIZE,
                      WORD_AND_LINKS_END) != 0)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string source = PathOf("in.prgVem730");
    const std::string image = PathOf("in.prgVem730.tmp");
    const std::string exported = PathOf("out.prgVem730");
    const std::string image2 = PathOf("out.prgVem730.tmp");
    const std::string exported2 = PathOf("again.prgVem730");
    const std::string image3 = PathOf("again.prgVem730.tmp");
    {
        std::ofstream out(source, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const bool subprogram = size % 2 == 1;

    const ImportResult first = Import(source, image, subprogram);
    if (first.count <= 0)
        return 0;

    const std::string text = Export(image, exported);
    Require(CountLines(text) == static_cast<std::size_t>(first.count), "one line per frame");

    const ImportResult second = Import(exported, image2, subprogram);
    Require(second.check == 0 && second.count == first.count, "the export re-imports whole");
    Require(SameChain(first.image, second.image, second.frames), "the words survive a round trip");

    const std::string textAgain = Export(image2, exported2);
    const ImportResult third = Import(exported2, image3, subprogram);
    Require(third.image == second.image, "a re-imported image is a fixed point");
    Require(third.count == second.count, "the fixed point keeps its count");
    return 0;
}
