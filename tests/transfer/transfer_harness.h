// TransferTest: the transfer commands against the simulator, a fake UI and a guarded buffer.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "transfer/transfer_commands.h"
#include "codec/program_frame.h"
#include "link/controller_link.h"
#include "sim/simulator.h"
#include "tests/transfer/fake_ui.h"
#include "tests/support/temp_folder.h"

// One request as the simulator's transaction log shows it.
struct LoggedRequest {
    std::uint8_t function = 0;
    std::uint16_t file = 0;
    std::uint16_t record = 0;
    std::uint16_t length = 0;
    std::vector<std::uint8_t> data; // a write's data bytes

    // "R 1 200 200": read or write, file, record, record length.
    std::string Summary() const;
};

// The transfer commands against the simulator on a temporary store, with a
// transaction log, a fake user interface and a transfer buffer fenced by
// guard bytes that must never change.
class TransferTest : public ::testing::Test {
protected:
    // Healthy replies arrive far inside this even on a loaded machine.
    static constexpr std::uint16_t PATIENT_TIMEOUT_MS = 2000;
    static constexpr std::size_t GUARD = 64;
    static constexpr std::uint8_t GUARD_BYTE = 0x5A;
    // What the buffer holds before a command: bytes no command may send.
    static constexpr std::uint8_t STALE_BYTE = 0xA5;

    TransferTest();
    void TearDown() override;

    void Start(SimOptions options = {});
    // Replaces the link (a shorter time-out for transactions meant to fail).
    void Relink(std::uint16_t timeoutMs);
    CTransferCommands& Commands() { return *m_commands; }

    CommandResult Read(DataKind kind, const std::string& number, const std::string& file);
    CommandResult Write(DataKind kind, const std::string& number, const std::string& file);

    std::string PathOf(const std::string& name) const { return m_folder.Path() + "/" + name; }
    // XDG_RUNTIME_DIR of the test and of the vemsync it starts.
    std::string PrivateFolder() const { return m_runtime.Path(); }
    std::vector<LoggedRequest> Requests() const;
    std::vector<std::string> RequestSummaries() const;

    TransferBuffer Buffer();

    CTempFolder m_folder;
    CTempFolder m_runtime;
    std::unique_ptr<CSimulator> m_sim;
    std::unique_ptr<CControllerLink> m_link;
    ControllerInfo m_info;
    std::vector<std::uint8_t> m_memory;
    FakeUi m_ui;
    std::unique_ptr<CTransferCommands> m_commands;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
// Lines joined with CR LF after each, as the export writes them.
std::string CrLfText(const std::vector<std::string>& lines);
// The frames a program of these lines is stored as, linked as a chain.
std::vector<ProgramFrame> ChainOf(const std::vector<std::string>& lines);
// Program words as the export writes them back, word for word.
extern const std::vector<std::string> SAMPLE_WORDS;
// `count` lines cycling through SAMPLE_WORDS.
std::vector<std::string> ProgramLines(std::size_t count);
// The parameter file the controller's memory makes: the general block, then
// the axis blocks in order.
std::string ParameterFileOf(const CSimulator& sim);
// Files in a folder, names only.
std::vector<std::string> FolderEntries(const std::string& folder);
// A folder's files, name to bytes.
std::map<std::string, std::string> FolderFiles(const std::string& folder);
