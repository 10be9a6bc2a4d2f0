// SimulatedPortTest: a link to the simulated controller that wine's COM port leads to.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "link/controller_link.h"
#include "link/link_transactions.h"
#include "tests/support/utf8_folder.h"

// On Windows no simulator can run inside the test: scripts/windows-test.sh
// starts a native one and points wine's COM port at it, and names that
// port in VEM_DIALOG_PORT. Each test gets a fresh folder of its own; the
// controller's store lives as long as the script's simulator. Names are
// UTF-8, as the program keeps them.
class SimulatedPortTest : public ::testing::Test {
protected:
    static constexpr std::uint16_t PATIENT_TIMEOUT_MS = 2000;

    // Opens the link; the test fails when no port is named or it does not open.
    void Start();
    TransferBuffer Buffer() { return TransferBuffer(m_buffer); }
    std::string PathOf(const std::string& name) const { return m_folder.PathOf(name); }

    CUtf8Folder m_folder;
    std::unique_ptr<CControllerLink> m_link;
    ControllerInfo m_info;

private:
    std::array<std::uint8_t, TRANSFER_BUFFER_SIZE> m_buffer{};
};
