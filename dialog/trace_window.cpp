// CTraceFeed and CTraceWindow: the link's trace carried to a window, line by line.
#include "dialog/trace_window.h"

#include "ui_trace_window.h"

CTraceFeed::CTraceFeed()
    : m_tracer([this](const std::string& line) { Q_EMIT LineReady(QString::fromStdString(line)); })
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
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    m_form->textTrace->setFont(fixed);
}

CTraceWindow::~CTraceWindow() = default;

void CTraceWindow::Follow(CTraceFeed& feed)
{
    // Queued even on this thread: a transfer run here shows its lines once
    // it gives the event loop back, and one run elsewhere never touches
    // the widget from its own thread.
    connect(&feed, &CTraceFeed::LineReady, this, &CTraceWindow::AppendLine, Qt::QueuedConnection);
}

void CTraceWindow::AppendLine(const QString& line)
{
    m_form->textTrace->appendPlainText(line);
}
