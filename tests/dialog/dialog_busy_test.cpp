// Tests that the window stays live, and takes no input, while a transfer runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "link/link_frame.h"
#include "tests/dialog/dialog_harness.h"

namespace {

const char* const BUSY = "Идёт обмен с контроллером.";

// Lines of the program written while the test acts on the window: 20 blocks
// at the line's pace, a second or so.
constexpr std::size_t PACED_LINES = 100;
constexpr int PACED_BLOCKS = 20;
// How often the test's timer looks at the window while a transfer runs.
constexpr int TICK_MS = 5;

class DialogBusy : public DialogTest {
protected:
    void SetUp() override
    {
        SimOptions options;
        options.pace = true;
        Start(options);
        OpenDialog();
    }

    // Block writes the controller has received so far.
    int BlocksWritten()
    {
        const std::vector<LoggedRequest> requests = Requests();
        return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                              [](const LoggedRequest& r) {
                                                  return r.function == LinkFrame::WRITE_FILE_RECORD &&
                                                         !r.data.empty();
                                              }));
    }

    // Whether the transfer is under way: started, not yet through.
    bool MidTransfer()
    {
        if (!Dialog().IsBusy())
            return false;
        const int written = BlocksWritten();
        return written >= 1 && written < PACED_BLOCKS;
    }
};

// Counts the window's paint events that come while a transfer is under way.
class PaintCounter : public QObject {
public:
    PaintCounter(QWidget* window, std::function<bool()> counting)
        : m_window(window), m_counting(std::move(counting))
    {
        window->installEventFilter(this);
    }
    ~PaintCounter() override { m_window->removeEventFilter(this); }
    int Count() const { return m_count; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint && m_counting())
            ++m_count;
        return false;
    }

private:
    QWidget* m_window;
    std::function<bool()> m_counting;
    int m_count = 0;
};

// While a paced write runs, the window keeps its event loop: timers fire,
// it repaints, and everything the user does to it is dropped: clicks on
// both buttons, Enter, Esc, the kind and port lists, the number field. The
// close button is refused with a word of explanation. Nothing of it is
// carried out after the write either.
TEST_F(DialogBusy, WindowStaysLiveAndTakesNoInputWhileATransferRuns)
{
    const std::vector<std::string> lines = ProgramLines(PACED_LINES);
    const std::string source = PathOf("long.prgVem730");
    WriteWholeFile(source, CrLfText(lines));
    ChooseFromList(Kind(), Qs("Программа"));
    TypeNumber(QStringLiteral("3"));
    m_chosen = {source, PathOf("second"), PathOf("third")};

    ModalCatcher catcher;
    PaintCounter paints(&Dialog(), [this] { return MidTransfer(); });
    int ticksMidTransfer = 0;
    bool actedMidTransfer = false;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (!MidTransfer())
            return;
        ++ticksMidTransfer;
        Dialog().update();
        if (actedMidTransfer)
            return;
        actedMidTransfer = true;
        QTest::mouseClick(WriteButton(), Qt::LeftButton);
        QTest::mouseClick(ReadButton(), Qt::LeftButton);
        QTest::keyClick(Number(), Qt::Key_Return);
        QTest::keyClick(&Dialog(), Qt::Key_Escape);
        QTest::keyClick(Kind(), Qt::Key_Up);
        QTest::keyClick(Port(), Qt::Key_Down);
        TypeKeys(Number(), QStringLiteral("5"));
        // Refused with a word of explanation: the catcher sees it.
        Dialog().close();
    });
    ticker.start(TICK_MS);
    QTest::mouseClick(WriteButton(), Qt::LeftButton);
    ASSERT_TRUE(Dialog().IsBusy());
    ASSERT_TRUE(WaitForCommand());
    ticker.stop();
    QApplication::processEvents();

    EXPECT_TRUE(actedMidTransfer);
    EXPECT_GE(ticksMidTransfer, 1) << "the timer fired while the write ran";
    EXPECT_GE(paints.Count(), 1) << "the window was painted while the write ran";
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Program, 3}), ChainOf(lines));
    EXPECT_EQ(catcher.Texts(), std::vector<std::string>{BUSY}) << "only the close button was answered";
    EXPECT_EQ(m_fileRequests.size(), 1u) << "no second command, then or afterwards";
    const std::vector<std::string> summaries = RequestSummaries();
    EXPECT_EQ(std::count(summaries.begin(), summaries.end(), "R 0 1 0"), 1);
    EXPECT_TRUE(Dialog().isVisible());
    EXPECT_EQ(Kind()->currentText(), Qs("Программа"));
    EXPECT_EQ(Number()->text(), QStringLiteral("3"));
    EXPECT_EQ(Port()->currentText(), QStringLiteral("COM1"));
    EXPECT_TRUE(DialogLink().IsOpen());
    EXPECT_EQ(Progress()->text(), Qs("Записано: 100 слов"));

    // The window works again once the write is through.
    m_chosen = {std::nullopt};
    m_fileRequests.clear();
    Click(ReadButton());
    EXPECT_EQ(m_fileRequests.size(), 1u);
}

// A command's questions and warnings come up on the window's thread, as the
// command raised them, and the command waits for the answer.
TEST_F(DialogBusy, WorkerMessagesAppearOnTheWindowThreadWithTheirText)
{
    std::thread::id commandThread;
    std::vector<bool> onWindowThread;
    std::vector<QString> details;
    bool secondRefused = false;
    ModalCatcher catcher([&](QWidget* window) {
        onWindowThread.push_back(QThread::currentThread() == QApplication::instance()->thread());
        if (auto* box = qobject_cast<QMessageBox*>(window))
            details.push_back(box->informativeText());
        secondRefused = !Dialog().RunCommand(
            [](ITransferUi&) { return CMFCVemSyncDlg::CommandEnd{CommandResult::Done, "второй"}; });
        QTest::keyClick(window, Qt::Key_Return);
    });
    bool answer = true;
    ASSERT_TRUE(Dialog().RunCommand([&](ITransferUi& ui) {
        commandThread = std::this_thread::get_id();
        ui.ShowWarning("Ошибка записи программы", "Проверьте кабель.");
        answer = ui.AskYesNo("Продолжить?", "Программа будет удалена.");
        ui.SetProgressRange(0, 4);
        ui.SetProgressPos(3);
        return CMFCVemSyncDlg::CommandEnd{};
    }));
    ASSERT_TRUE(WaitForCommand());

    EXPECT_NE(commandThread, std::this_thread::get_id()) << "the command ran on a worker";
    EXPECT_EQ(catcher.Texts(), (std::vector<std::string>{"Ошибка записи программы", "Продолжить?"}));
    EXPECT_EQ(details, (std::vector<QString>{Qs("Проверьте кабель."), Qs("Программа будет удалена.")}));
    EXPECT_EQ(onWindowThread, (std::vector<bool>{true, true}));
    EXPECT_FALSE(answer) << "Enter takes the question's default, No";
    EXPECT_TRUE(secondRefused) << "no second command while one runs";
    EXPECT_EQ(Progress()->text(), QStringLiteral("3/4")) << "an empty result leaves the bar as it was";
}

// The answer to the close button does not wait to be answered: it goes by
// itself once the transfer is through, and does not claim that it runs on.
TEST_F(DialogBusy, CloseButtonAnswerGoesWhenTheTransferEnds)
{
    const std::string source = PathOf("long.prgVem730");
    WriteWholeFile(source, CrLfText(ProgramLines(PACED_LINES)));
    ChooseFromList(Kind(), Qs("Программа"));
    TypeNumber(QStringLiteral("3"));
    m_chosen = {source};

    // The boxes up now; each is closed after it has been counted, so that
    // one left up cannot hold the test.
    const auto closeBusyBoxes = [] {
        int shown = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                shown += box->text() == Qs(BUSY);
                box->done(QMessageBox::Ok);
            }
        return shown;
    };
    int shownMidTransfer = 0;
    int shownAfter = -1;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (MidTransfer() && shownMidTransfer == 0) {
            Dialog().close();
            const auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            shownMidTransfer = box != nullptr && box->text() == Qs(BUSY);
        }
    });
    QObject::connect(&Dialog(), &CMFCVemSyncDlg::CommandFinished,
                     [&] { QTimer::singleShot(0, [&] { shownAfter = closeBusyBoxes(); }); });
    ticker.start(TICK_MS);
    QTest::mouseClick(WriteButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitForCommand());
    ticker.stop();
    QApplication::processEvents();

    EXPECT_EQ(shownMidTransfer, 1) << "the close button is answered while the write runs";
    EXPECT_EQ(shownAfter, 0) << "the answer went when the write ended";
}

} // namespace
