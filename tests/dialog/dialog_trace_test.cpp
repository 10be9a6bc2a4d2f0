// The trace window of the context menu: it follows every request and reply
// of the dialog's link, also of transactions run on another thread.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>

#include <chrono>
#include <thread>

#include "dialog/trace_window.h"
#include "tests/dialog/dialog_harness.h"

namespace {

using Clock = std::chrono::steady_clock;

class TraceWindow : public DialogTest {
protected:
    void SetUp() override
    {
        Start();
        OpenDialog();
    }

    void OpenTrace()
    {
        for (QAction* action : Dialog().actions()) {
            if (action->text() == Qs("Журнал обмена…"))
                action->trigger();
        }
    }
    CTraceWindow* Window() { return Dialog().findChild<CTraceWindow*>(); }
    QStringList Lines()
    {
        CTraceWindow* window = Window();
        if (window == nullptr)
            return {};
        QString text = window->findChild<QPlainTextEdit*>(QStringLiteral("textTrace"))->toPlainText();
        return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
    }
    // Lets queued lines arrive until there are `count`, or 10 s have gone.
    QStringList WaitForLines(qsizetype count)
    {
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
        while (Lines().size() < count && Clock::now() < deadline)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return Lines();
    }
};

TEST_F(TraceWindow, FollowsTheCommandsOfTheDialog)
{
    OpenTrace();
    ASSERT_NE(Window(), nullptr);
    EXPECT_TRUE(Window()->isVisible());
    EXPECT_TRUE(Lines().isEmpty());

    m_chosen = {PathOf("params")};
    ModalCatcher catcher;
    Click(ReadButton());
    ASSERT_TRUE(catcher.Seen().empty()) << catcher.Texts().front();
    const std::vector<LoggedRequest> requests = Requests();
    const QStringList lines = WaitForLines(static_cast<qsizetype>(2 * requests.size()));
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(2 * requests.size()));
    EXPECT_TRUE(lines[0].endsWith(Qs(" | чтение файл 0x0000 запись 1 длина 0"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(Qs(" | чтение файл 0x0000 запись 1 длина 0 → 16 байт"))) << lines[1].toStdString();

    // Opening it again shows the same window, with what it holds.
    OpenTrace();
    EXPECT_EQ(Dialog().findChildren<CTraceWindow*>().size(), 1);
    EXPECT_EQ(Lines(), lines);
}

TEST_F(TraceWindow, TakesLinesFromATransactionOnAnotherThread)
{
    OpenTrace();
    std::thread worker([this] {
        std::vector<std::uint8_t> descriptor(16);
        m_link->ReadRecord(1, 0, 1, 0, descriptor);
    });
    worker.join();
    const QStringList lines = WaitForLines(2);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].endsWith(Qs(" → 16 байт"))) << lines[1].toStdString();
}

TEST_F(TraceWindow, ClosedItCostsTheLinkNothing)
{
    OpenTrace();
    ASSERT_NE(Window(), nullptr);
    Window()->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Window(), nullptr);
    std::vector<std::uint8_t> descriptor(16);
    EXPECT_TRUE(m_link->ReadRecord(1, 0, 1, 0, descriptor)) << "no observer left behind";

    OpenTrace();
    ASSERT_TRUE(m_link->ReadRecord(1, 0, 1, 0, descriptor));
    EXPECT_EQ(WaitForLines(2).size(), 2) << "a new window follows from its opening on";
}

} // namespace
