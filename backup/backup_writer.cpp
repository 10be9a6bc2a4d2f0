// CBackupWriter: a backup's files written on a thread of their own, away from the line.
#include "backup/backup_writer.h"

#include "backup/backup_messages.h"
#include "transfer/messages.h"
#include "platform/replacement_file.h"
#include "backup/sha256.h"
#include "transfer/program_text_conversion.h"
#include "platform/binary_file.h"

void WriteBackupFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    CBinaryFile file;
    if (!file.Open(path, CBinaryFile::Mode::CreateWrite))
        throw FileException(file.LastError());
    file.Write(bytes);
    file.Close();
}

std::optional<std::vector<std::uint8_t>> ReadBackupFile(const std::string& path, std::uint64_t limit,
                                                       bool* tooLarge)
{
    if (tooLarge != nullptr)
        *tooLarge = false;
    CBinaryFile file;
    if (!file.Open(path, CBinaryFile::Mode::Read))
        return std::nullopt;
    // The length first: a file of any size may stand in a folder someone
    // else filled, and only what fits the limit is ever read.
    const std::uint64_t length = file.Length();
    if (length > limit) {
        if (tooLarge != nullptr)
            *tooLarge = true;
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    if (file.Read(bytes) != bytes.size())
        throw FileException(FileError{FileErrorCause::EndOfFile, 0, path});
    file.Close();
    return bytes;
}

std::string BackupFailureDetail(const BackupItemId& id)
{
    return ItemTitle(id) + BackupMsg::ITEM_NOT_SAVED + BackupMsg::EARLIER_KEPT;
}

CBackupWriter::CBackupWriter(std::string folder)
    : m_folder(std::move(folder)), m_thread([this] { Run(); })
{
}

CBackupWriter::~CBackupWriter()
{
    Finish();
}

void CBackupWriter::Put(BackupEntry& entry, std::vector<std::uint8_t> bytes)
{
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back({&entry, std::move(bytes)});
    }
    m_wake.notify_one();
}

bool CBackupWriter::Failed() const
{
    const std::lock_guard lock(m_mutex);
    return m_failure.has_value();
}

std::optional<CBackupWriter::Failure> CBackupWriter::Finish()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
    return m_failure;
}

void CBackupWriter::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_closing || !m_jobs.empty(); });
        if (m_jobs.empty())
            return;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        if (m_failure)
            continue;
        lock.unlock();
        std::optional<Failure> failure = Write(*job.entry, job.bytes);
        lock.lock();
        if (failure)
            m_failure = std::move(failure);
    }
}

std::optional<CBackupWriter::Failure> CBackupWriter::Write(BackupEntry& entry,
                                                           const std::vector<std::uint8_t>& bytes) const
{
    try {
        const bool parameters = entry.id.kind == BackupItemId::Kind::Parameters;
        entry.file = parameters ? ParameterFileName() : FramesFileName(entry.id);
        entry.sha256 = Sha256Hex(bytes);
        const std::string path = m_folder + "/" + entry.file;
        WriteBackupFile(path, bytes);
        if (parameters)
            return std::nullopt;

        // The frames file is an image file as the Read command writes it.
        entry.textFile = TextFileName(entry.id);
        CReplacementFile target;
        if (!target.Begin(m_folder + "/" + entry.textFile))
            return Failure{FileErrorMessage(target.LastError()), BackupFailureDetail(entry.id)};
        if (const std::optional<TransferFailure> exported = ExportProgramText(path, target)) {
            Failure failure{FailureMessage(*exported), exported->detail};
            failure.detail += (failure.detail.empty() ? "" : "\n") + BackupFailureDetail(entry.id);
            return failure;
        }
        const std::string textPath = m_folder + "/" + entry.textFile;
        const std::optional<std::vector<std::uint8_t>> text = ReadBackupFile(textPath, TextBytesLimit(entry.frames));
        if (!text)
            return Failure{Msg::CANNOT_OPEN_FILE, textPath};
        entry.textSha256 = Sha256Hex(*text);
        return std::nullopt;
    } catch (const FileException& e) {
        return Failure{e.what(), BackupMsg::EARLIER_KEPT};
    }
}
