// A signal that ends the dialog program while it writes to the controller:
// the block in flight finishes, the operator is told what the controller
// holds, where a desktop user looks, and the program ends; a message that
// could not be seen is shown at the next start.

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "dialog/interrupted_run.h"
#include "platform/temp_registry.h"
#include "transfer/messages.h"
#include "tests/dialog/dialog_harness.h"
#include "tests/transfer/request_log.h"

namespace {

QString LeftMessage()
{
    return QSettings(QStringLiteral("MFCVemSync"), QStringLiteral("MFCVemSync"))
        .value(QStringLiteral("interruptedMessage"))
        .toString();
}

class DialogInterrupt : public DialogTest {
protected:
    void SetUp() override
    {
        Start();
        OpenDialog();
        ASSERT_TRUE(InstallDeferredInterrupts());
    }
    void TearDown() override
    {
        ClearPendingInterrupt();
        DialogTest::TearDown();
    }
};

TEST_F(DialogInterrupt, WriteEndsAfterTheBlockInFlightAndSaysWhatTheControllerHolds)
{
    // A slow controller: a block every 20 ms at least.
    m_sim->AddFault({FaultMode::Delay, FaultTarget::BlockWrite, 0, 20});
    const std::string source = PathOf("long.prgVem730");
    WriteWholeFile(source, CrLfText(ProgramLines(100)));
    m_chosen = {source};
    EndOnInterrupt(Dialog());
    ChooseFromList(Kind(), Qs("Программа"));
    TypeNumber(Qs("3"));

    QString leftWhileShown;
    ModalCatcher catcher([&](QWidget* window) {
        leftWhileShown = LeftMessage();
        QTest::keyClick(window, Qt::Key_Return);
    });
    // Descriptor, delete, then some blocks.
    const std::size_t started = RequestLines(PathOf("line.log"));
    std::thread signaller([&] {
        if (WaitForRequests(PathOf("line.log"), started + 6))
            ::kill(::getpid(), SIGTERM);
    });
    Click(WriteButton());
    signaller.join();

    ASSERT_EQ(catcher.Seen().size(), 1u);
    EXPECT_EQ(catcher.Seen()[0].text, Qs(Msg::WRITE_INTERRUPTED));
    const std::string held = std::to_string(m_sim->ProgramSize({LinkFile::Program, 3}));
    EXPECT_EQ(catcher.Seen()[0].informative,
              Qs(("Прежняя программа в Вем-730 удалена; записано " + held +
                  " из 100 слов: в контроллере неполная программа.")
                     .c_str()));
    EXPECT_EQ(leftWhileShown, Qs(Msg::WRITE_INTERRUPTED)) << "kept while it was shown";
    EXPECT_EQ(LeftMessage(), QString()) << "forgotten once seen";
    EXPECT_FALSE(Dialog().isVisible()) << "the program ends";
}

// A message the operator did not see comes up at the next start, once.
TEST_F(DialogInterrupt, LeftMessageIsShownAtTheNextStartOnce)
{
    LeaveMessage(Msg::WRITE_INTERRUPTED, "Программа 3: записано 35 из 482 слов.");
    ModalCatcher catcher;
    ShowLeftMessage(Dialog());
    ShowLeftMessage(Dialog());
    ASSERT_EQ(catcher.Seen().size(), 1u);
    EXPECT_EQ(catcher.Seen()[0].text, Qs(Msg::WRITE_INTERRUPTED));
    EXPECT_EQ(catcher.Seen()[0].informative, Qs("Программа 3: записано 35 из 482 слов."));
}

} // namespace
