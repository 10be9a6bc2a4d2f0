// A signal that ends the dialog program while it writes to the controller:
// the block in flight finishes, the operator is told what the controller
// holds, where a desktop user looks, and the program ends; a message that
// could not be seen is shown at the next start.

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "dialog/interrupted_run.h"
#include "platform/temp_registry.h"
#include "sim/file_descriptor.h"
#include "transfer/messages.h"
#include "tests/dialog/dialog_harness.h"

namespace {

using Clock = std::chrono::steady_clock;

std::size_t RequestLines(const std::string& log)
{
    std::ifstream in(log);
    std::size_t count = 0;
    for (std::string line; std::getline(in, line);)
        count += line.find(" REQ ") != std::string::npos ? 1 : 0;
    return count;
}

// Waits, woken by inotify as the simulator's log grows, until it holds
// `count` requests; false at the deadline.
bool WaitForRequests(const std::string& log, std::size_t count)
{
    CFileDescriptor watch(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    if (!watch.IsOpen() || ::inotify_add_watch(watch.Get(), log.c_str(), IN_MODIFY) < 0)
        return false;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(30);
    while (RequestLines(log) < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{watch.Get(), POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) < 0)
            return false;
        char events[4096];
        while (::read(watch.Get(), events, sizeof events) > 0) {
        }
    }
    return true;
}

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
