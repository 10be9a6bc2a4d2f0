// The link's trace against the simulator's own log of the same line: what
// the PC says it sent and received must be, byte for byte, what the
// controller's side saw.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/link_tracer.h"
#include "tests/sim/sim_harness.h"

namespace {

constexpr std::size_t STAMP_SIZE = 27; // "YYYY-MM-DDTHH:MM:SS.uuuuuu "

// A trace or log line as "DIRECTION BYTES", the time and the meaning cut off.
std::string Crossing(const std::string& traceLine)
{
    std::string rest = traceLine.substr(STAMP_SIZE);
    rest = rest.substr(0, rest.find(" | "));
    if (rest.rfind("→ ", 0) == 0)
        return "REQ " + rest.substr(std::string("→ ").size());
    if (rest.rfind("← ", 0) == 0)
        return "REP " + rest.substr(std::string("← ").size());
    return rest;
}

std::string Meaning(const std::string& traceLine)
{
    return traceLine.substr(traceLine.find(" | ") + std::string(" | ").size());
}

class SimulatorTrace : public SimHarness {
protected:
    std::vector<std::string> m_trace;
    CLinkTracer m_tracer{[this](const std::string& line) { m_trace.push_back(line); }};
};

TEST_F(SimulatorTrace, OneReadAndOneFailedWriteMatchTheSimulatorsLog)
{
    Start();
    m_link->SetObserver(&m_tracer);
    const std::uint16_t subprogram3 = ProgramFileNumber(LinkFile::Subprogram, 3);
    Bytes frames(BLOCK_FRAMES * FRAME);
    ASSERT_TRUE(m_link->ReadRecord(UNIT, subprogram3, 5, BLOCK_FRAMES, frames));
    m_sim->AddFault(*ParseFaultRule("bad-crc:nth=1"));
    EXPECT_FALSE(m_link->WriteRecord(UNIT, ProgramFileNumber(LinkFile::Program, 2), 0, {}));
    m_link->SetObserver(nullptr);
    EXPECT_TRUE(m_link->ReadRecord(UNIT, 0, 1, 0, frames)) << "a link without an observer works on";

    ASSERT_EQ(m_trace.size(), 4u);
    std::vector<std::string> logged;
    for (const std::string& line : LogLines())
        logged.push_back(line.substr(STAMP_SIZE));
    ASSERT_EQ(logged.size(), 6u) << "the last read is not traced";
    for (std::size_t i = 0; i < m_trace.size(); ++i)
        EXPECT_EQ(Crossing(m_trace[i]), logged[i]) << m_trace[i];
    EXPECT_EQ(Meaning(m_trace[0]), "чтение файл 0x0204 запись 5 длина 5");
    EXPECT_EQ(Meaning(m_trace[1]), "чтение файл 0x0204 запись 5 длина 5 → 160 байт");
    EXPECT_EQ(Meaning(m_trace[2]), "запись файл 0x0103 запись 0 длина 0");
    EXPECT_EQ(Meaning(m_trace[3]), "ошибка CRC");
}

TEST_F(SimulatorTrace, SilenceIsTracedWithTheTimeOutWaited)
{
    Start();
    Fast();
    m_link->SetObserver(&m_tracer);
    m_sim->AddFault(*ParseFaultRule("silent:nth=1"));
    Bytes descriptor(16);
    EXPECT_FALSE(m_link->ReadRecord(UNIT, 0, 1, 0, descriptor));

    ASSERT_EQ(m_trace.size(), 2u);
    const std::vector<std::string> logged = LogLines();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(Crossing(m_trace[0]), logged[0].substr(STAMP_SIZE));
    EXPECT_EQ(logged[1].substr(STAMP_SIZE), "NOREPLY fault-silent");
    EXPECT_EQ(m_trace[1].substr(STAMP_SIZE), "← | нет ответа за 50 мс");
}

} // namespace
