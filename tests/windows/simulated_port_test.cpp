// SimulatedPortTest: opens the COM port the test script names.
#include "tests/windows/simulated_port_test.h"

#include <cstdlib>

void SimulatedPortTest::Start()
{
    const char* port = std::getenv("VEM_DIALOG_PORT");
    ASSERT_TRUE(port != nullptr && *port != '\0')
        << "VEM_DIALOG_PORT names no port: scripts/windows-test.sh runs this suite "
           "against the simulator it starts";
    m_link = std::make_unique<CControllerLink>(CControllerLink::REOPEN_BAUD_RATE, port, PATIENT_TIMEOUT_MS);
    ASSERT_TRUE(m_link->IsOpen()) << port << " did not open";
}
