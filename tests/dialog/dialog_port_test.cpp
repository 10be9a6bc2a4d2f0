// Tests of choosing a serial port in the dialog: what opens, what closes, and why not.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <array>
#include <filesystem>

#include <unistd.h>

#include "dialog/device_watch.h"
#include "link/controller_info.h"
#include "tests/dialog/dialog_harness.h"

namespace {

const char* const OPEN = "Открыт";
const char* const NOT_OPEN = "Не открыт";
const char* const PORT_CLOSED = "Перед началом работы выбирете свободный COM порт!";

// The program starts its link at 100 ms, as it opens COM1.
constexpr std::uint16_t START_TIMEOUT_MS = 100;

// The port names of the list mapped in a port folder of the test's own:
// COM3 is the simulator's line, COM1, COM4 and COM5 are adapters that are
// not plugged in, so the result does not hang on the machine's own ports.
class PortSelection : public DialogTest {
protected:
    void SetUp() override
    {
        Start();
        FreeTheDevice();
        const std::string ports = PathOf("data/MFCVemSync/ports");
        std::filesystem::create_directories(ports);
        std::filesystem::create_symlink(m_sim->SlavePath(), ports + "/COM3");
        for (const char* absent : {"COM1", "COM4", "COM5"})
            std::filesystem::create_symlink(PathOf("unplugged"), ports + "/" + absent);
        m_dataHome.emplace("XDG_DATA_HOME", PathOf("data"));
    }

    void OpenOn(const char* port)
    {
        OpenDialogOn(std::make_unique<CControllerLink>(CControllerLink::REOPEN_BAUD_RATE, port,
                                                        START_TIMEOUT_MS));
    }

    // Whether another program could open the simulator's line now, which
    // it cannot while the dialog's link holds it.
    bool LineIsFree() const
    {
        CControllerLink other(CControllerLink::REOPEN_BAUD_RATE, m_sim->SlavePath().c_str(),
                              START_TIMEOUT_MS);
        return other.IsOpen();
    }

    // Read with the file dialog cancelled: what the user is told, and
    // whether the command got as far as asking for a file.
    std::pair<std::vector<std::string>, bool> TryRead()
    {
        m_fileRequests.clear();
        m_chosen = {std::nullopt};
        ModalCatcher catcher;
        Click(ReadButton());
        return {catcher.Texts(), !m_fileRequests.empty()};
    }

    std::optional<ScopedEnv> m_dataHome;
};

struct PortStep {
    const char* choose;
    const char* status;
    bool open;
};

TEST_F(PortSelection, ChoosingAPortClosesTheOldOneInAnyCaseAndTriesTheNew)
{
    OpenOn("COM1");
    ASSERT_FALSE(DialogLink().IsOpen());
    EXPECT_EQ(Status()->text(), QString());
    EXPECT_EQ(TryRead(), std::make_pair(std::vector<std::string>{PORT_CLOSED}, false));

    const PortStep steps[] = {
        {"COM5", NOT_OPEN, false},
        {"COM3", OPEN, true},
        {"COM5", NOT_OPEN, false}, // COM3 is let go although COM5 fails
        {"COM3", OPEN, true},
        {"COM3", OPEN, true}, // the same port again: closed and opened anew
        {"COM1", NOT_OPEN, false},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const PortStep& step = steps[i];
        SCOPED_TRACE("step " + std::to_string(i) + ": " + step.choose);
        ChooseFromList(Port(), Qs(step.choose));
        EXPECT_EQ(Port()->currentText(), Qs(step.choose));
        EXPECT_EQ(Status()->text(), Qs(step.status));
        EXPECT_EQ(DialogLink().IsOpen(), step.open);
        EXPECT_EQ(LineIsFree(), !step.open);
        const auto [warnings, fileAsked] = TryRead();
        EXPECT_EQ(warnings, step.open ? std::vector<std::string>{}
                                      : std::vector<std::string>{PORT_CLOSED});
        EXPECT_EQ(fileAsked, step.open) << "a command starts only on an open port";
    }
}

// The status keeps its own words; its tooltip and the warning of a command
// say what the chosen name reaches and why it did not open.
TEST_F(PortSelection, APortThatDidNotOpenSaysWhy)
{
    const std::string folder = PathOf("data/MFCVemSync/ports");
    const std::string unplugged = "Устройство COM1 (" + folder + "/COM1 → " + PathOf("unplugged") +
                                  ") не найдено: адаптер не подключён или порт назначен не тому "
                                  "устройству (см. «Настройка портов…» или vemsync ports).";
    OpenOn("COM1");
    EXPECT_EQ(Status()->toolTip().toStdString(),
              "COM1: ссылка на " + PathOf("unplugged") + " (нет устройства: не подключено)\n" + unplugged);
    {
        m_chosen = {std::nullopt};
        ModalCatcher catcher;
        Click(ReadButton());
        ASSERT_EQ(catcher.Seen().size(), 1u);
        EXPECT_EQ(catcher.Seen()[0].text, Qs(PORT_CLOSED));
        EXPECT_EQ(catcher.Seen()[0].informative.toStdString(), unplugged);
    }

    ChooseFromList(Port(), QStringLiteral("COM3"));
    ASSERT_EQ(Status()->text(), Qs(OPEN));
    EXPECT_EQ(Status()->toolTip().toStdString(), "COM3: ссылка на " + m_sim->SlavePath() + " (есть)");

    // Another program holds the line: the status says "Не открыт", the
    // tooltip who holds it.
    ChooseFromList(Port(), QStringLiteral("COM4"));
    CControllerLink holder(CControllerLink::REOPEN_BAUD_RATE, m_sim->SlavePath().c_str(), START_TIMEOUT_MS);
    ASSERT_TRUE(holder.IsOpen());
    ChooseFromList(Port(), QStringLiteral("COM3"));
    ASSERT_EQ(Status()->text(), Qs(NOT_OPEN));
    const std::string busy = "COM3 (" + folder + "/COM3 → " + m_sim->SlavePath() + ") занят. Его держит открытым: ";
    const std::string tip = Status()->toolTip().toStdString();
    EXPECT_NE(tip.find("\n" + busy), std::string::npos) << tip;
    EXPECT_NE(tip.find("(PID " + std::to_string(::getpid()) + ")"), std::string::npos) << tip;
}

TEST_F(PortSelection, ChoosingTheOpenPortAgainReopensItWithTheShortTimeout)
{
    OpenOn("COM3");
    ASSERT_TRUE(DialogLink().IsOpen());
    EXPECT_EQ(Status()->text(), Qs(OPEN));
    EXPECT_EQ(DialogLink().TimeoutMs(), START_TIMEOUT_MS);

    // A write leaves the link waiting long for every later reply.
    const std::uint16_t deleteProgram1 = static_cast<std::uint16_t>(LinkFile::Program);
    ASSERT_TRUE(DialogLink().WriteRecord(1, deleteProgram1, 0, {}));
    ASSERT_EQ(DialogLink().TimeoutMs(), CControllerLink::WRITE_TIMEOUT_MS);

    ChooseFromList(Port(), QStringLiteral("COM3"));
    EXPECT_EQ(DialogLink().TimeoutMs(), CControllerLink::REOPEN_TIMEOUT_MS);
    EXPECT_EQ(Status()->text(), Qs(OPEN));
    EXPECT_TRUE(DialogLink().IsOpen());
    EXPECT_FALSE(LineIsFree());
}

TEST_F(PortSelection, ArrowKeysInTheClosedListChooseToo)
{
    OpenOn("COM1");
    ChooseFromList(Port(), QStringLiteral("COM4"));
    ASSERT_EQ(Status()->text(), Qs(NOT_OPEN));
    Port()->setFocus();
    QTest::keyClick(Port(), Qt::Key_Up);
    EXPECT_EQ(Port()->currentText(), QStringLiteral("COM3"));
    EXPECT_EQ(Status()->text(), Qs(OPEN));
    EXPECT_TRUE(DialogLink().IsOpen());
}

struct TypedRow {
    const char* name;
    const char* text;
    Qt::Key leaveWith;
    bool dialogCloses;
};

// Only a choice from the list opens a port; a name typed into the field is
// just text, also when it names an entry of the list, and gives way to the
// name of the port in use when the field is left.
TEST_F(PortSelection, TypingAPortNameOpensNothing)
{
    const TypedRow rows[] = {
        {"Tab", "COM3", Qt::Key_Tab, false},
        {"lower case, Tab", "com3", Qt::Key_Tab, false},
        {"Shift+Tab", "COM3", Qt::Key_Backtab, false},
        {"Enter", "COM3", Qt::Key_Return, true},
    };
    for (const TypedRow& row : rows) {
        SCOPED_TRACE(std::string(row.text) + ", then " + row.name);
        OpenOn("COM1");
        Port()->setFocus();
        Port()->lineEdit()->selectAll();
        TypeKeys(Port(), Qs(row.text));
        QTest::keyClick(Port(), row.leaveWith);
        if (row.dialogCloses) {
            EXPECT_EQ(Dialog().result(), QDialog::Accepted);
        } else {
            EXPECT_NE(QApplication::focusWidget(), Port()) << "the focus left the field";
            EXPECT_TRUE(Dialog().isVisible());
            EXPECT_EQ(Port()->currentText(), QStringLiteral("COM1")) << "the port in use is shown again";
        }
        EXPECT_FALSE(DialogLink().IsOpen());
        EXPECT_EQ(Status()->text(), QString());
        EXPECT_TRUE(LineIsFree());
    }
}

// A device that goes away under the open port: the status says "Не открыт"
// with the cause in its tooltip once a Read or the device watch finds it,
// and the port opens again under its name, which by then leads to the
// simulator started anew, at the next Read or when the watch sees devices
// change.
TEST_F(PortSelection, LostDeviceShowsNotOpenAndItsPortOpensAgain)
{
    OpenOn("COM3");
    ASSERT_TRUE(DialogLink().IsOpen());
    CDeviceWatch* watch = Dialog().findChild<CDeviceWatch*>();
    ASSERT_NE(watch, nullptr);
    const std::string com3 = PathOf("data/MFCVemSync/ports/COM3");
    for (const bool byWatch : {false, true}) {
        SCOPED_TRACE(byWatch ? "the device watch" : "a Read");
        m_sim.reset(); // its pseudo-terminal goes with it
        if (byWatch) {
            Q_EMIT watch->Changed();
        } else {
            m_chosen = {PathOf("params")};
            ModalCatcher catcher;
            Click(ReadButton());
            ASSERT_EQ(catcher.Seen().size(), 1u);
            EXPECT_NE(catcher.Seen()[0].informative.indexOf(Qs("Устройство порта COM3 пропало")), -1)
                << catcher.Seen()[0].informative.toStdString();
        }
        EXPECT_EQ(Status()->text(), Qs(NOT_OPEN));
        EXPECT_NE(Status()->toolTip().indexOf(Qs("пропало")), -1) << Status()->toolTip().toStdString();

        Start();
        FreeTheDevice();
        std::filesystem::remove(com3);
        std::filesystem::create_symlink(m_sim->SlavePath(), com3);
        if (byWatch) {
            Q_EMIT watch->Changed();
        } else {
            const auto [texts, askedForFile] = TryRead();
            EXPECT_EQ(texts, std::vector<std::string>{});
            EXPECT_TRUE(askedForFile);
        }
        EXPECT_EQ(Status()->text(), Qs(OPEN));
        EXPECT_FALSE(LineIsFree());
    }
}

} // namespace
