// The backup manifest written and read line by line, and the names of a backup's files.
#include "backup/backup_manifest.h"

#include "backup/backup_messages.h"
#include "codec/hex_text.h"

#include <cstdio>
#include <sstream>

#include "codec/frame_format.h"
#include "image/program_image.h"
#include "platform/staged_folder.h"

namespace {

constexpr const char* MAGIC = "MFCVemSync backup 1";
constexpr const char* END = "end";
constexpr std::size_t SHA_DIGITS = 64;

const char* KindWord(BackupItemId::Kind kind)
{
    switch (kind) {
    case BackupItemId::Kind::Parameters:
        return "params";
    case BackupItemId::Kind::Program:
        return "program";
    case BackupItemId::Kind::Subprogram:
        break;
    }
    return "subprogram";
}

bool IsShaHex(const std::string& text)
{
    return text.size() == SHA_DIGITS &&
           text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

std::optional<unsigned long> Number(const std::string& text)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoul(text);
}

std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

std::string NumberedName(const BackupItemId& id, const char* extension)
{
    char name[40];
    std::snprintf(name, sizeof name, "%s-%02u%s", KindWord(id.kind), id.number, extension);
    return name;
}

} // namespace

std::vector<BackupItemId> AllBackupItems()
{
    std::vector<BackupItemId> items{{BackupItemId::Kind::Parameters, 0}};
    for (unsigned n = 1; n <= PROGRAM_COUNT; ++n)
        items.push_back({BackupItemId::Kind::Program, n});
    for (unsigned n = 1; n <= SUBPROGRAM_COUNT; ++n)
        items.push_back({BackupItemId::Kind::Subprogram, n});
    return items;
}

unsigned AreaFrames(const BackupItemId& id)
{
    return id.kind == BackupItemId::Kind::Subprogram ? SUBPROGRAM_SLOTS : PROGRAM_SLOTS;
}

std::string ItemTitle(const BackupItemId& id)
{
    switch (id.kind) {
    case BackupItemId::Kind::Parameters:
        return BackupMsg::PARAMETERS_TITLE;
    case BackupItemId::Kind::Program:
        return BackupMsg::PROGRAM_TITLE + std::to_string(id.number);
    case BackupItemId::Kind::Subprogram:
        break;
    }
    return BackupMsg::SUBPROGRAM_TITLE + std::to_string(id.number);
}

std::string ItemWord(const BackupItemId& id)
{
    if (id.kind == BackupItemId::Kind::Parameters)
        return KindWord(id.kind);
    return std::string(KindWord(id.kind)) + ":" + std::to_string(id.number);
}

std::string DescriptorHex(const ControllerInfo& info)
{
    return HexBytes(info.bytes, "");
}

std::string ParameterFileName()
{
    return "parameters.paramVem730";
}

std::string FramesFileName(const BackupItemId& id)
{
    return NumberedName(id, ".frames");
}

std::string TextFileName(const BackupItemId& id)
{
    return NumberedName(id, ".prgVem730");
}

std::uint64_t TextBytesLimit(unsigned frames)
{
    constexpr std::uint64_t LINE_END = 2;
    return std::uint64_t{frames} * (FRAME_TEXT_MAX + LINE_END);
}

bool IsDataSubfolderName(const std::string& name)
{
    return HasUniqueEnding(name, STAGED_SUBFOLDER_PREFIX);
}

std::string BackupManifest::PathOf(const std::string& file) const
{
    return subfolder.empty() ? file : subfolder + "/" + file;
}

const BackupEntry* BackupManifest::Find(const BackupItemId& id) const
{
    for (const BackupEntry& entry : entries)
        if (entry.id == id)
            return &entry;
    return nullptr;
}

std::string FormatManifest(const BackupManifest& manifest)
{
    std::string text = std::string(MAGIC) + "\n";
    text += "time " + manifest.time + "\n";
    text += "descriptor " + DescriptorHex(manifest.descriptor) + "\n";
    for (const BackupEntry& e : manifest.entries) {
        text += KindWord(e.id.kind);
        if (e.id.kind == BackupItemId::Kind::Parameters) {
            text += " " + std::to_string(e.bytes) + " " + manifest.PathOf(e.file) + " " + e.sha256 + "\n";
            continue;
        }
        text += " " + std::to_string(e.id.number) + " " + std::to_string(e.frames);
        if (!e.Empty())
            text += " " + manifest.PathOf(e.file) + " " + e.sha256 + " " + manifest.PathOf(e.textFile) + " " +
                    e.textSha256;
        text += "\n";
    }
    text += std::string(END) + "\n";
    return text;
}

namespace {

// The file names of a manifest's entries as written: bare names, or the
// same data subfolder in front of every one.
class CEntryNames {
public:
    explicit CEntryNames(std::string& subfolder) : m_subfolder(subfolder) {}

    bool Take(const std::string& written, std::string& bare)
    {
        const std::string::size_type slash = written.find('/');
        const std::string folder = slash == std::string::npos ? "" : written.substr(0, slash);
        if (!folder.empty() && !IsDataSubfolderName(folder))
            return false;
        if (m_known && folder != m_subfolder)
            return false;
        m_subfolder = folder;
        m_known = true;
        bare = slash == std::string::npos ? written : written.substr(slash + 1);
        return true;
    }

private:
    std::string& m_subfolder;
    bool m_known = false;
};

// "params BYTES FILE SHA", "program N 0" or
// "program N FRAMES FILE SHA TEXTFILE TEXTSHA"; `entry.id` is the item
// the line must be.
bool ParseEntry(const std::vector<std::string>& words, CEntryNames& names, BackupEntry& entry)
{
    if (words.empty() || words[0] != KindWord(entry.id.kind))
        return false;
    if (entry.id.kind == BackupItemId::Kind::Parameters) {
        const auto bytes = words.size() == 4 ? Number(words[1]) : std::nullopt;
        if (!bytes || !names.Take(words[2], entry.file) || entry.file != ParameterFileName() || !IsShaHex(words[3]))
            return false;
        entry.bytes = *bytes;
        entry.sha256 = words[3];
        return true;
    }
    const auto number = words.size() >= 3 ? Number(words[1]) : std::nullopt;
    const auto frames = words.size() >= 3 ? Number(words[2]) : std::nullopt;
    if (!number || *number != entry.id.number || !frames)
        return false;
    entry.frames = static_cast<unsigned>(*frames);
    if (entry.Empty())
        return words.size() == 3;
    if (words.size() != 7)
        return false;
    entry.sha256 = words[4];
    entry.textSha256 = words[6];
    return names.Take(words[3], entry.file) && names.Take(words[5], entry.textFile) &&
           entry.file == FramesFileName(entry.id) && entry.textFile == TextFileName(entry.id) &&
           IsShaHex(entry.sha256) && IsShaHex(entry.textSha256);
}

// "descriptor HEX", the descriptor's bytes in capitals.
bool ParseDescriptor(const std::vector<std::string>& words, ControllerInfo& descriptor)
{
    if (words.size() != 2 || words[0] != "descriptor" || words[1].size() != 2 * ControllerInfo::ROOM ||
        words[1].find_first_not_of("0123456789ABCDEF") != std::string::npos)
        return false;
    for (std::size_t i = 0; i < ControllerInfo::ROOM; ++i)
        descriptor.bytes[i] = static_cast<std::uint8_t>(std::stoul(words[1].substr(2 * i, 2), nullptr, 16));
    return true;
}

} // namespace

std::optional<BackupManifest> ParseManifest(const std::string& text, std::string& error)
{
    std::istringstream in(text);
    std::string line;
    std::vector<std::string> raw;
    while (std::getline(in, line))
        raw.push_back(line);
    const std::vector<BackupItemId> items = AllBackupItems();
    // The magic line, the time, the descriptor, the items, "end".
    const std::size_t expected = 3 + items.size() + 1;
    if (raw.empty() || raw[0] != MAGIC) {
        error = BackupMsg::NOT_OUR_MANIFEST;
        return std::nullopt;
    }
    if (raw.size() != expected || raw.back() != END) {
        error = BackupMsg::MANIFEST_INCOMPLETE;
        return std::nullopt;
    }

    BackupManifest manifest;
    const auto bad = [&](std::size_t index) {
        error = BackupMsg::MANIFEST_LINE + std::to_string(index + 1) + BackupMsg::NOT_UNDERSTOOD;
        return std::nullopt;
    };
    const std::vector<std::string> time = Words(raw[1]);
    if (time.size() != 2 || time[0] != "time")
        return bad(1);
    manifest.time = time[1];
    if (!ParseDescriptor(Words(raw[2]), manifest.descriptor))
        return bad(2);
    CEntryNames names(manifest.subfolder);
    for (std::size_t i = 0; i < items.size(); ++i) {
        BackupEntry entry;
        entry.id = items[i];
        if (!ParseEntry(Words(raw[3 + i]), names, entry))
            return bad(3 + i);
        manifest.entries.push_back(entry);
    }
    return manifest;
}
