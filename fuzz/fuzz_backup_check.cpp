// A backup folder anyone may have edited, through the restore's checks: the
// manifest parser, then every file against the manifest and against what
// the controller can hold. The folder is in memory; each file has the size
// its entry claims (up to a terabyte) and the bytes the input gives it.
//
// Input:
//   byte 0  bit 0: build the manifest from the input, with the checksums of
//                  the bytes the input gives, so that the checks past the
//                  parser are reached; else the input is the manifest's text
//           bit 1: the files in a data subfolder (built manifests only)
//   then    the manifest's text up to a NUL, or for a built one per item a
//           frame count (two bytes); then per file a claimed size (five
//           bytes), a length (two bytes) and that many bytes
//
// Checked: nothing aborts; no read asks for more than the largest item can
// be; and an accepted backup is one the checks would accept: every item
// fits its area, every file has its size and checksum.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "backup/backup_check.h"
#include "backup/sha256.h"
#include "transfer/transfer_commands.h"
#include "transfer/transfer_rules.h"

namespace {

constexpr std::uint8_t BUILD_MANIFEST = 0x01;
constexpr std::uint8_t IN_SUBFOLDER = 0x02;
constexpr const char* SUBFOLDER = "data-Fz0123";
// The most a check may ask for: the manifest, or a program of 500 frames of
// the largest frame a descriptor can name.
constexpr std::uint64_t READ_BOUND = 500 * 255 + MANIFEST_MAX_BYTES;
constexpr std::size_t SIZE_BYTES = 5;
// The descriptor of the simulator's fresh store: 450 bytes of general
// parameters, 4 axes of 120, frames of 32 bytes.
constexpr std::uint8_t DESCRIPTOR[ControllerInfo::ROOM] = {0xC2, 0x01, 0x78, 0x00, 0x04, 0, 0, 0,
                                                           0,    0,    0,    0,    0,    0x20, 0, 0};

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

class CInput {
public:
    CInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    std::uint64_t Number(std::size_t bytes)
    {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < bytes; ++i)
            value |= std::uint64_t{Byte()} << (8 * i);
        return value;
    }
    std::string Text()
    {
        std::string text;
        while (m_at < m_size && m_data[m_at] != 0)
            text += static_cast<char>(m_data[m_at++]);
        ++m_at;
        return text;
    }
    std::vector<std::uint8_t> Bytes(std::size_t count)
    {
        std::vector<std::uint8_t> bytes;
        while (bytes.size() < count && m_at < m_size)
            bytes.push_back(m_data[m_at++]);
        return bytes;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

struct MemoryFile {
    std::uint64_t size = 0;
    std::vector<std::uint8_t> bytes; // the first bytes; zeros after them
};

class CMemoryFiles : public IBackupFiles {
public:
    std::optional<std::vector<std::uint8_t>> Read(const std::string& name, std::uint64_t limit,
                                                  bool& tooLarge) override
    {
        Require(limit <= READ_BOUND);
        tooLarge = false;
        const auto it = files.find(name);
        if (it == files.end())
            return std::nullopt;
        if (it->second.size > limit) {
            tooLarge = true;
            return std::nullopt;
        }
        std::vector<std::uint8_t> bytes = it->second.bytes;
        bytes.resize(static_cast<std::size_t>(it->second.size), 0);
        return bytes;
    }
    std::string Describe(const std::string& name) const override { return name; }

    std::map<std::string, MemoryFile> files;
};

// A file's claimed size and bytes from the input; the bytes as the file
// holds them.
std::vector<std::uint8_t> TakeFile(CInput& in, const std::string& name, CMemoryFiles& files)
{
    MemoryFile file;
    file.size = in.Number(SIZE_BYTES);
    file.bytes = in.Bytes(static_cast<std::size_t>(in.Number(2)));
    std::vector<std::uint8_t> held = file.bytes;
    if (file.size <= READ_BOUND)
        held.resize(static_cast<std::size_t>(file.size), 0);
    files.files[name] = std::move(file);
    return held;
}

std::string Built(CInput& in, bool subfolder, CMemoryFiles& files)
{
    BackupManifest manifest;
    manifest.time = "2026-12-08T07:41:05Z";
    std::copy(std::begin(DESCRIPTOR), std::end(DESCRIPTOR), manifest.descriptor.bytes.begin());
    manifest.subfolder = subfolder ? SUBFOLDER : "";
    for (const BackupItemId& id : AllBackupItems()) {
        BackupEntry entry;
        entry.id = id;
        if (id.kind == BackupItemId::Kind::Parameters) {
            entry.bytes = static_cast<std::size_t>(in.Number(2));
            entry.file = ParameterFileName();
        } else {
            entry.frames = static_cast<unsigned>(in.Number(2));
            if (entry.frames != 0) {
                entry.file = FramesFileName(id);
                entry.textFile = TextFileName(id);
            }
        }
        manifest.entries.push_back(entry);
    }
    for (BackupEntry& entry : manifest.entries) {
        if (entry.Empty())
            continue;
        entry.sha256 = Sha256Hex(TakeFile(in, manifest.PathOf(entry.file), files));
        if (!entry.textFile.empty())
            entry.textSha256 = Sha256Hex(TakeFile(in, manifest.PathOf(entry.textFile), files));
    }
    return FormatManifest(manifest);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    CInput in(data + 1, size - 1);
    CMemoryFiles files;
    std::string text;
    if ((data[0] & BUILD_MANIFEST) != 0) {
        text = Built(in, (data[0] & IN_SUBFOLDER) != 0, files);
    } else {
        text = in.Text();
        for (std::string name = in.Text(); !name.empty(); name = in.Text())
            TakeFile(in, name, files);
    }
    files.files[MANIFEST_NAME] = MemoryFile{text.size(), {text.begin(), text.end()}};

    const std::variant<CheckedBackup, BackupRefusal> result = CheckBackup(files);
    const CheckedBackup* accepted = std::get_if<CheckedBackup>(&result);
    if (accepted == nullptr)
        return 0;
    const BackupManifest& manifest = accepted->manifest;
    Require(DescriptorSupported(DataKind::Parameters, manifest.descriptor) &&
            DescriptorSupported(DataKind::Program, manifest.descriptor));
    Require(manifest.entries.size() == AllBackupItems().size());
    Require(accepted->contents.size() == manifest.entries.size());
    for (std::size_t i = 0; i < manifest.entries.size(); ++i) {
        const BackupEntry& entry = manifest.entries[i];
        const std::vector<std::uint8_t>& bytes = accepted->contents[i];
        if (entry.Empty()) {
            Require(bytes.empty());
            continue;
        }
        if (entry.id.kind == BackupItemId::Kind::Parameters) {
            Require(bytes.size() == ParameterBytes(manifest.descriptor));
        } else {
            Require(entry.frames <= AreaFrames(entry.id));
            Require(bytes.size() == std::size_t{entry.frames} * manifest.descriptor.frameSize());
            Require(bytes.size() <= TRANSFER_BUFFER_SIZE);
        }
        Require(Sha256Hex(bytes) == entry.sha256);
    }
    return 0;
}
