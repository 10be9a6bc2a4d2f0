// The number, extension and descriptor rules of the transfer commands.

#include "transfer/transfer_rules.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "image/program_image.h"
#include "link/link_frame.h"
#include "link/link_transactions.h"

namespace {

constexpr const char* PARAMETER_EXTENSION = ".paramVem730";
constexpr const char* PROGRAM_EXTENSION = ".prgVem730";

const char* ExtensionFor(DataKind kind)
{
    return kind == DataKind::Parameters ? PARAMETER_EXTENSION : PROGRAM_EXTENSION;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

std::uint16_t ProgramNumberOf(std::string_view text)
{
    std::uint16_t value = 0;
    for (const char c : text) {
        const unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(c)) - unsigned{'0'};
        value = static_cast<std::uint16_t>(value * 10u + digit);
    }
    return value;
}

std::optional<std::uint16_t> ProgramFileFor(DataKind kind, unsigned number)
{
    if (number < 1 || number > HighestNumber(kind))
        return std::nullopt;
    return ProgramFileNumber(LinkFileOf(kind), number);
}

std::string ReadPathFor(DataKind kind, const std::string& chosen)
{
    const std::string extension = ExtensionFor(kind);
    return chosen.find(extension) == std::string::npos ? chosen + extension : chosen;
}

std::string WritePathFor(DataKind kind, const std::string& chosen)
{
    // A file the user picked under "All Files", such as a post-processor's
    // output, is sent as it is; so is a FIFO or a device, which the file
    // layer then refuses under the name the user chose. Only a folder is no
    // choice of a file.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(chosen, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_directory(status))
        return chosen;
    const std::string extension = ExtensionFor(kind);
    return Lower(chosen).find(Lower(extension)) == std::string::npos ? chosen + extension : chosen;
}

bool DescriptorSupported(DataKind kind, const ControllerInfo& info)
{
    if (kind != DataKind::Parameters)
        return info.frameSize() == SLOT_SIZE;
    const std::size_t general = info.generalParamSize();
    const std::size_t axis = info.axisParamSize();
    const std::size_t readSpan = (general / GENERAL_BLOCK + 1) * GENERAL_BLOCK;
    return readSpan <= TRANSFER_BUFFER_SIZE &&
           general + info.axisCount() * axis <= TRANSFER_BUFFER_SIZE && axis <= LinkFrame::MAX_WRITE_DATA;
}
