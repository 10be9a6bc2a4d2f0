// A backup's files written and read, and the writer thread that spares the line the disk.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "backup/backup_manifest.h"

// Creates (or empties) the file and writes the bytes; throws FileException.
void WriteBackupFile(const std::string& path, std::span<const std::uint8_t> bytes);
// The whole file; nothing when it cannot be opened. A read that fails
// midway throws FileException.
std::optional<std::vector<std::uint8_t>> ReadBackupFile(const std::string& path);

// "Программа 3 — …": the detail under the message of an item that stopped a
// backup.
std::string BackupFailureDetail(const BackupItemId& id);

// Writes the items of a backup into its staging folder on a thread of its
// own, so that the line never waits for the disk: the parameter file, and for
// a program its frames file and the text the Read command makes of them. The
// thread fills in the entry's file names and checksums; they may be read once
// Finish has returned.
class CBackupWriter {
public:
    // What stopped the writing: a message and its detail, as shown to the user.
    struct Failure {
        std::string text;
        std::string detail;
    };

    explicit CBackupWriter(std::string folder);
    ~CBackupWriter();
    CBackupWriter(const CBackupWriter&) = delete;
    CBackupWriter& operator=(const CBackupWriter&) = delete;

    // Queues `bytes`, the parameter blocks or the frames of `entry`'s
    // program; `entry` must outlive Finish.
    void Put(BackupEntry& entry, std::vector<std::uint8_t> bytes);
    // Whether a write has failed; nothing queued after it is written.
    bool Failed() const;
    // Waits until everything queued is written; the first failure, if any.
    std::optional<Failure> Finish();

private:
    struct Job {
        BackupEntry* entry;
        std::vector<std::uint8_t> bytes;
    };

    void Run();
    std::optional<Failure> Write(BackupEntry& entry, const std::vector<std::uint8_t>& bytes) const;

    std::string m_folder;
    mutable std::mutex m_mutex; // guards what follows
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_closing = false;
    std::optional<Failure> m_failure;
    std::thread m_thread; // last: starts once the rest is built
};
