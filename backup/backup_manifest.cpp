// The backup manifest written and read line by line, and the names of a backup's files.
#include "backup/backup_manifest.h"

#include "codec/hex_text.h"

#include <cstdio>
#include <sstream>

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

std::string Hex(const ControllerInfo& info)
{
    return HexBytes(info.bytes, "");
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

std::string ItemTitle(const BackupItemId& id)
{
    switch (id.kind) {
    case BackupItemId::Kind::Parameters:
        return "Параметры";
    case BackupItemId::Kind::Program:
        return "Программа " + std::to_string(id.number);
    case BackupItemId::Kind::Subprogram:
        break;
    }
    return "Подпрограмма " + std::to_string(id.number);
}

std::string ItemWord(const BackupItemId& id)
{
    if (id.kind == BackupItemId::Kind::Parameters)
        return KindWord(id.kind);
    return std::string(KindWord(id.kind)) + ":" + std::to_string(id.number);
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
    text += "descriptor " + Hex(manifest.descriptor) + "\n";
    for (const BackupEntry& e : manifest.entries) {
        text += KindWord(e.id.kind);
        if (e.id.kind == BackupItemId::Kind::Parameters) {
            text += " " + std::to_string(e.bytes) + " " + e.file + " " + e.sha256 + "\n";
            continue;
        }
        text += " " + std::to_string(e.id.number) + " " + std::to_string(e.frames);
        if (!e.Empty())
            text += " " + e.file + " " + e.sha256 + " " + e.textFile + " " + e.textSha256;
        text += "\n";
    }
    text += std::string(END) + "\n";
    return text;
}

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
        error = "not a backup manifest of this program";
        return std::nullopt;
    }
    if (raw.size() != expected || raw.back() != END) {
        error = "the manifest is incomplete";
        return std::nullopt;
    }

    BackupManifest manifest;
    const auto bad = [&](std::size_t index) {
        error = "line " + std::to_string(index + 1) + " of the manifest is not understood";
        return std::nullopt;
    };
    std::vector<std::string> words = Words(raw[1]);
    if (words.size() != 2 || words[0] != "time")
        return bad(1);
    manifest.time = words[1];
    words = Words(raw[2]);
    if (words.size() != 2 || words[0] != "descriptor" ||
        words[1].size() != 2 * ControllerInfo::ROOM ||
        words[1].find_first_not_of("0123456789ABCDEF") != std::string::npos)
        return bad(2);
    for (std::size_t i = 0; i < ControllerInfo::ROOM; ++i)
        manifest.descriptor.bytes[i] =
            static_cast<std::uint8_t>(std::stoul(words[1].substr(2 * i, 2), nullptr, 16));

    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::size_t index = 3 + i;
        words = Words(raw[index]);
        BackupEntry entry;
        entry.id = items[i];
        if (words.empty() || words[0] != KindWord(entry.id.kind))
            return bad(index);
        if (entry.id.kind == BackupItemId::Kind::Parameters) {
            const auto bytes = words.size() == 4 ? Number(words[1]) : std::nullopt;
            if (!bytes || words[2] != ParameterFileName() || !IsShaHex(words[3]))
                return bad(index);
            entry.bytes = *bytes;
            entry.file = words[2];
            entry.sha256 = words[3];
        } else {
            const auto number = words.size() >= 3 ? Number(words[1]) : std::nullopt;
            const auto frames = words.size() >= 3 ? Number(words[2]) : std::nullopt;
            if (!number || *number != entry.id.number || !frames)
                return bad(index);
            entry.frames = static_cast<unsigned>(*frames);
            if (entry.Empty() ? words.size() != 3 : words.size() != 7)
                return bad(index);
            if (!entry.Empty()) {
                entry.file = words[3];
                entry.sha256 = words[4];
                entry.textFile = words[5];
                entry.textSha256 = words[6];
                if (entry.file != FramesFileName(entry.id) || entry.textFile != TextFileName(entry.id) ||
                    !IsShaHex(entry.sha256) || !IsShaHex(entry.textSha256))
                    return bad(index);
            }
        }
        manifest.entries.push_back(entry);
    }
    return manifest;
}
