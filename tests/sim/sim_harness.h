// SimHarness: a simulator on a temporary store with a log, and the link to it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/controller_link.h"
#include "sim/simulator.h"
#include "tests/support/temp_folder.h"
#include "tests/support/peer_line.h"

// A simulator on a temporary store with a transaction log, and the link to
// it, for the suites that talk to the simulator over its pseudo-terminal.
class SimHarness : public ::testing::Test {
protected:
    // A reply to a healthy request comes in well under this even on a loaded
    // machine; only failing transactions wait it out, and those use Fast().
    static constexpr std::uint16_t PATIENT_TIMEOUT_MS = 2000;

    std::string StorePath() const { return m_folder.Path() + "/store"; }
    std::string LogPath() const { return m_folder.Path() + "/line.log"; }

    // Starts (or restarts) the simulator on the same store and opens a link
    // with a patient time-out.
    void Start(SimOptions options = {})
    {
        m_link.reset();
        m_sim.reset();
        options.storeDir = StorePath();
        options.logPath = LogPath();
        m_sim = std::make_unique<CSimulator>(options);
        std::string error;
        ASSERT_TRUE(m_sim->Start(error)) << error;
        m_link = std::make_unique<CControllerLink>(CControllerLink::REOPEN_BAUD_RATE,
                                                   m_sim->SlavePath().c_str(), PATIENT_TIMEOUT_MS);
        ASSERT_TRUE(m_link->IsOpen());
    }

    // Reopens the link with the user's 50 ms time-out, so that transactions
    // meant to fail fail quickly.
    void Fast() { ASSERT_TRUE(m_link->Reopen(m_sim->SlavePath().c_str())); }

    // A new link with its own read time-out.
    void Relink(std::uint16_t timeoutMs)
    {
        m_link.reset();
        m_link = std::make_unique<CControllerLink>(CControllerLink::REOPEN_BAUD_RATE,
                                                   m_sim->SlavePath().c_str(), timeoutMs);
        ASSERT_TRUE(m_link->IsOpen());
    }

    std::vector<std::string> LogLines() const;

    CTempFolder m_folder;
    std::unique_ptr<CSimulator> m_sim;
    std::unique_ptr<CControllerLink> m_link;
};

constexpr std::uint8_t UNIT = 1;
constexpr std::uint16_t FRAME = 32;
constexpr std::uint16_t BLOCK_FRAMES = 5;
constexpr std::uint16_t SIZE_QUERY = 600;

// The slots that a block read of `frames` from `first` should carry: the
// chain's frames in the first half of their 32-byte slots, 0xFF in the
// second half, and empty frames past the chain's end.
Bytes ExpectedSlots(const std::vector<ProgramFrame>& frames, std::size_t first, std::size_t count);
// A program of `n` words, linked.
std::vector<ProgramFrame> NumberedProgram(std::size_t n);
// Its slots as the PC sends them: frames in slots, second halves 0xFF,
// padded with empty slots to whole blocks.
Bytes SlotsOf(const std::vector<ProgramFrame>& frames, std::size_t slots);
