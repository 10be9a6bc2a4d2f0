// The trace window of the context menu: it follows every request and reply
// of the dialog's link, also of transactions run on another thread.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTest>
#include <QRegularExpression>
#include <QTreeWidget>

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
    QTreeWidget* Tree() { return Window()->findChild<QTreeWidget*>(QStringLiteral("treeTrace")); }
    // The rows, each as its cells joined by " | ".
    QStringList Lines()
    {
        if (Window() == nullptr)
            return {};
        QStringList lines;
        for (int i = 0; i < Tree()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = Tree()->topLevelItem(i);
            lines.push_back(QStringList{row->text(0), row->text(1), row->text(2), row->text(3)}.join(
                QStringLiteral(" | ")));
        }
        return lines;
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
    // The time of day, the direction, the meaning, then the bytes.
    const QHeaderView* header = Tree()->header();
    const QTreeWidgetItem* titles = Tree()->headerItem();
    QStringList columns;
    for (int visual = 0; visual < header->count(); ++visual)
        columns.push_back(titles->text(header->logicalIndex(visual)));
    EXPECT_EQ(columns, (QStringList{Qs("Время"), QString(), Qs("Значение"), Qs("Байты")}));
    const QRegularExpression row(Qs(R"(^\d\d:\d\d:\d\d\.\d{3} \| (→|←) \| (.*) \| ([0-9A-F ]+)$)"));
    const QRegularExpressionMatch request = row.match(lines[0]);
    ASSERT_TRUE(request.hasMatch()) << lines[0].toStdString();
    EXPECT_EQ(request.captured(1), Qs("→"));
    EXPECT_EQ(request.captured(2), Qs("чтение: системные параметры, номер записи 1, длина 0"));
    EXPECT_TRUE(request.captured(3).startsWith(QStringLiteral("01 14 07 06 00 00 00 01 00 00")));
    const QRegularExpressionMatch reply = row.match(lines[1]);
    ASSERT_TRUE(reply.hasMatch()) << lines[1].toStdString();
    EXPECT_EQ(reply.captured(1), Qs("←"));
    EXPECT_EQ(reply.captured(2), Qs("чтение: системные параметры, номер записи 1, длина 0 → 16 байт"));

    // Ctrl+C copies the rows chosen as the trace file has them.
    Tree()->selectAll();
    QTest::keyClick(Tree(), Qt::Key_C, Qt::ControlModifier);
    const QStringList copied = QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(copied.size(), lines.size());
    EXPECT_TRUE(copied[0].endsWith(QStringLiteral(" → 01 14 07 06 00 00 00 01 00 00 A8 E4 | ") +
                                   request.captured(2)))
        << copied[0].toStdString();

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
    EXPECT_TRUE(lines[1].contains(Qs(" → 16 байт | "))) << lines[1].toStdString();
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
