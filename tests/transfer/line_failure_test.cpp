// Tests of what a command says when the line fails: the cause under the message, a vanished device.
#include <gtest/gtest.h>

#include <filesystem>

#include "sim/fault_rule.h"
#include "transfer/messages.h"
#include "tests/transfer/transfer_harness.h"

namespace {

// Healthy replies come far inside it even on a loaded machine; the failing
// ones wait it out.
constexpr std::uint16_t T = 300;

class LineFailure : public TransferTest {
protected:
    void SetUp() override
    {
        Start();
        ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 1}, ChainOf(ProgramLines(7))));
        Relink(T);
    }
};

struct CauseRow {
    const char* name;
    const char* fault; // as vem730-sim --fault takes it
    const char* message;
    const char* detail;
};

// Every way the line can fail a Read has its own line under the message,
// in the operator's words.
TEST_F(LineFailure, EachCauseIsToldUnderTheMessage)
{
    const CauseRow rows[] = {
        {"nothing came back", "silent:descriptor", Msg::DESCRIPTOR_FAILED,
         "Каждая команда сначала запрашивает у Вем-730 его размеры (системные параметры), и только "
         "потом — сами данные.\nКонтроллер ничего не ответил за 300 мс. Проверьте кабель, питание "
         "контроллера и что выбран нужный порт."},
        {"the reply broke off", "short:block-read", Msg::PROGRAM_READ_FAILED,
         "Ответ контроллера оборвался: начало пришло, продолжения не было 300 мс. Проверьте разъёмы и "
         "кабель, затем повторите команду."},
        {"a wrong CRC", "bad-crc:size", Msg::SIZE_QUERY_FAILED,
         "Ответ контроллера искажён: не сходится контрольная сумма (CRC). Проверьте скорость порта "
         "(38400 бод), длину кабеля и нет ли рядом с ним помех."},
        {"a count no reply has", "oversize:block-read", Msg::PROGRAM_READ_FAILED,
         "Ответ контроллера искажён: в нём объявлено больше данных, чем бывает в ответе. Проверьте "
         "скорость порта (38400 бод), длину кабеля и нет ли рядом с ним помех."},
        {"the controller refused", "exception:size", Msg::SIZE_QUERY_FAILED,
         "Контроллер отказал в запросе: код исключения 4 (сбой в контроллере)."},
    };
    for (const CauseRow& row : rows) {
        SCOPED_TRACE(std::string(row.name) + ", --fault " + row.fault);
        m_ui = FakeUi{};
        m_sim->ClearFaults();
        const std::optional<FaultRule> rule = ParseFaultRule(row.fault);
        ASSERT_TRUE(rule);
        m_sim->AddFault(*rule);
        EXPECT_EQ(Read(DataKind::Program, "1", PathOf("p")), CommandResult::Failed);
        EXPECT_EQ(m_ui.Shown(), (std::vector<std::string>{row.message, row.detail}));
    }
}

// A device that went away is no silent controller: the port is closed at
// once, and the next command opens the name again, which by then leads to
// the simulator started anew.
TEST_F(LineFailure, VanishedDeviceClosesThePortAndTheNextCommandOpensItAgain)
{
    const std::string port = PathOf("port");
    const auto publish = [&] {
        std::filesystem::remove(port);
        std::filesystem::create_symlink(m_sim->SlavePath(), port);
        // The fixture's own link lets go of the device.
        m_commands.reset();
        m_link.reset();
    };
    publish();
    CControllerLink link(CControllerLink::REOPEN_BAUD_RATE, port.c_str(), T);
    ASSERT_TRUE(link.IsOpen());
    CTransferCommands commands(link, m_info, Buffer(), m_ui);

    m_sim.reset(); // its pseudo-terminal goes with it
    EXPECT_EQ(commands.Read(DataKind::Parameters, "", PathOf("params")), CommandResult::Failed);
    EXPECT_EQ(m_ui.Shown(),
              (std::vector<std::string>{
                  Msg::DESCRIPTOR_FAILED,
                  "Каждая команда сначала запрашивает у Вем-730 его размеры (системные параметры), и "
                  "только потом — сами данные.\nУстройство порта " + port +
                      " пропало: адаптер отключён или контроллер выключен. Порт закрыт; когда "
                      "устройство вернётся, он откроется снова."}));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_TRUE(link.Lost());

    Start();
    publish();
    EXPECT_EQ(commands.Read(DataKind::Program, "1", PathOf("p")), CommandResult::Done)
        << ::testing::PrintToString(m_ui.Shown());
    EXPECT_TRUE(link.IsOpen());
    EXPECT_FALSE(link.Lost());
    EXPECT_EQ(link.TimeoutMs(), T) << "opened again as it was opened first";
}

} // namespace
