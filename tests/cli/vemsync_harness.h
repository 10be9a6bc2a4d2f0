// VemsyncTest: the vemsync executable against a test's simulator, with the dialog's commands.
#pragma once

#include <string>
#include <vector>

#include "tests/transfer/transfer_harness.h"
#include "tests/cli/vemsync_process.h"

// The vemsync executable against the simulator of a TransferTest, and the
// dialog's commands on the same simulator for comparison. A port has one
// user at a time, so the test's own link is closed while vemsync runs and
// opened again only for a command of the dialog.
class VemsyncTest : public TransferTest {
protected:
    void SetUp() override
    {
        Start();
        ReleaseLine();
    }

    void ReleaseLine()
    {
        m_commands.reset();
        m_link.reset();
    }
    void TakeLine() { Relink(PATIENT_TIMEOUT_MS); }

    // vemsync with its port folder in the test's temporary folder, so that
    // no port of the machine is ever reached by name.
    VemsyncRun Vemsync(const std::vector<std::string>& args, VemsyncOptions options = {})
    {
        if (options.xdgDataHome.empty())
            options.xdgDataHome = PathOf("xdg");
        return RunVemsync(args, options);
    }

    std::string Port() const { return m_sim->SlavePath(); }
};
