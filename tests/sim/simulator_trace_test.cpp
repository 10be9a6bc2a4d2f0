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
    EXPECT_EQ(Meaning(m_trace[0]), "чтение: подпрограмма 3, номер записи 5, длина 5");
    EXPECT_EQ(Meaning(m_trace[1]), "чтение: подпрограмма 3, номер записи 5, длина 5 → 160 байт");
    EXPECT_EQ(Meaning(m_trace[2]), "запись: программа 2, номер записи 0, длина 0");
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

struct FailureRow {
    const char* rule;
    std::size_t knownBytes; // of the simulator's reply, which the trace shows
    std::string meaning;
};

// A failed reply shows the bytes the link is sure of, which are the start
// of what the simulator sent.
TEST_F(SimulatorTrace, EachFailureShowsWhatArrivedOfTheReply)
{
    const FailureRow rows[] = {
        {"short:descriptor", 3, "ответ оборвался: нет продолжения за 250 мс"},
        {"oversize:descriptor", 3, "ответ объявляет 254 байт, больше 253"},
        {"bad-crc:descriptor", 21, "ошибка CRC"},
    };
    // Long enough that the header is never late on a loaded machine.
    constexpr std::uint16_t FAULT_TIMEOUT_MS = 250;
    Start();
    Relink(FAULT_TIMEOUT_MS);
    m_link->SetObserver(&m_tracer);
    Bytes descriptor(16);
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(row.rule);
        m_trace.clear();
        const std::size_t logStart = LogLines().size();
        m_sim->ClearFaults();
        m_sim->AddFault(*ParseFaultRule(row.rule));
        EXPECT_FALSE(m_link->ReadRecord(UNIT, 0, 1, 0, descriptor));
        ASSERT_EQ(m_trace.size(), 2u);
        const std::string reply = LogLines().at(logStart + 1).substr(STAMP_SIZE);
        const std::string shown = Crossing(m_trace[1]);
        EXPECT_EQ(shown, reply.substr(0, std::string("REP").size() + 3 * row.knownBytes)) << reply;
        EXPECT_EQ(Meaning(m_trace[1]), row.meaning);
    }
}

} // namespace
