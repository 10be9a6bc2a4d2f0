// CTraceFeed and CTraceWindow: the link's trace carried to a window, a row per frame.
#include "dialog/trace_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QScrollBar>
#include <QTreeWidgetItem>

#include "codec/hex_text.h"
#include "dialog/dialog_messages.h"
#include "ui_trace_window.h"

namespace {

enum Column { TIME, DIRECTION, MEANING, BYTES };

// The oldest rows go once there are more.
constexpr int MAX_ROWS = 20000;
// "2026-12-08T" goes: the window shows the time of day.
constexpr qsizetype DATE_SIZE = 11;
// Of the microseconds, the window shows the milliseconds.
constexpr qsizetype MICROSECONDS_CUT = 3;
// The bytes' tooltip, a line per this many.
constexpr std::size_t TOOLTIP_BYTES_PER_LINE = 16;
// The widest time the time column is made for, and the room each column
// leaves beside its text.
const char* const WIDE_TIME = "00:00:00.000";
constexpr int COLUMN_PADDING = 16;

QString ByteLines(const std::vector<std::uint8_t>& bytes)
{
    QStringList lines;
    for (std::size_t at = 0; at < bytes.size(); at += TOOLTIP_BYTES_PER_LINE) {
        const std::size_t count = std::min(TOOLTIP_BYTES_PER_LINE, bytes.size() - at);
        lines.push_back(QString::fromStdString(HexBytes(std::span(bytes).subspan(at, count))));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

CTraceFeed::CTraceFeed()
    : m_tracer([this](const TraceEntry& entry) { Q_EMIT EntryReady(entry); })
{
}

void CTraceFeed::RequestSent(std::span<const std::uint8_t> request)
{
    m_tracer.RequestSent(request);
}

void CTraceFeed::ReplyReceived(std::span<const std::uint8_t> reply)
{
    m_tracer.ReplyReceived(reply);
}

void CTraceFeed::ReplyFailed(LinkFailure failure, std::span<const std::uint8_t> received,
                             std::uint32_t timeoutMs)
{
    m_tracer.ReplyFailed(failure, received, timeoutMs);
}

CTraceWindow::CTraceWindow(QWidget* parent) : QDialog(parent), m_form(std::make_unique<Ui::CTraceWindow>())
{
    m_form->setupUi(this);
    QTreeWidget* tree = m_form->treeTrace;
    const QFontMetrics metrics = tree->fontMetrics();
    QHeaderView* header = tree->header();
    header->setStretchLastSection(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(TIME, metrics.horizontalAdvance(QString::fromLatin1(WIDE_TIME)) + COLUMN_PADDING);
    header->resizeSection(DIRECTION, metrics.horizontalAdvance(QString::fromUtf8("→")) + COLUMN_PADDING);
    header->resizeSection(MEANING,
                          metrics.horizontalAdvance(QString::fromUtf8(DialogMsg::TRACE_WIDEST_MEANING)) + COLUMN_PADDING);

    auto* copy = new QAction(QString::fromUtf8(DialogMsg::TRACE_COPY), tree);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, &CTraceWindow::CopyChosen);
    tree->addAction(copy);
    tree->setContextMenuPolicy(Qt::ActionsContextMenu);
}

CTraceWindow::~CTraceWindow() = default;

void CTraceWindow::Follow(CTraceFeed& feed)
{
    // Queued even on this thread: a transfer run here shows its rows once
    // it gives the event loop back, and one run elsewhere never touches
    // the widget from its own thread.
    connect(&feed, &CTraceFeed::EntryReady, this, &CTraceWindow::Append, Qt::QueuedConnection);
}

void CTraceWindow::Append(const TraceEntry& entry)
{
    QTreeWidget* tree = m_form->treeTrace;
    QScrollBar* scroll = tree->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();

    const QString time = QString::fromStdString(entry.time);
    auto* row = new QTreeWidgetItem;
    row->setText(TIME, time.mid(DATE_SIZE, time.size() - DATE_SIZE - MICROSECONDS_CUT));
    row->setToolTip(TIME, time);
    row->setText(DIRECTION, QString::fromUtf8(entry.direction));
    row->setText(MEANING, QString::fromStdString(entry.meaning));
    row->setText(BYTES, QString::fromStdString(HexBytes(entry.bytes)));
    row->setToolTip(BYTES, ByteLines(entry.bytes));
    row->setData(TIME, Qt::UserRole, QString::fromStdString(CLinkTracer::FormatLine(entry)));
    tree->addTopLevelItem(row);
    while (tree->topLevelItemCount() > MAX_ROWS)
        delete tree->takeTopLevelItem(0);
    if (following)
        tree->scrollToBottom();
}

void CTraceWindow::CopyChosen()
{
    QTreeWidget* tree = m_form->treeTrace;
    QStringList lines;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = tree->topLevelItem(i);
        if (row->isSelected())
            lines.push_back(row->data(TIME, Qt::UserRole).toString());
    }
    if (!lines.isEmpty())
        QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}
