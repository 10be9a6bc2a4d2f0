// The trace window and its feed: every request, reply and failure on the line.
#pragma once

#include <QDialog>
#include <QObject>
#include <QString>

#include <memory>

#include "link/link_tracer.h"

namespace Ui {
class CTraceWindow;
}

// The link's observer for the trace window. The link calls it on whatever
// thread runs the transaction; each line leaves as a signal, which a queued
// connection carries to the window's thread.
class CTraceFeed : public QObject, public ILinkObserver {
    Q_OBJECT

public:
    CTraceFeed();

    void RequestSent(std::span<const std::uint8_t> request) override;
    void ReplyReceived(std::span<const std::uint8_t> reply) override;
    void ReplyFailed(LinkFailure failure, std::span<const std::uint8_t> received,
                     std::uint32_t timeoutMs) override;

Q_SIGNALS:
    void LineReady(const QString& line);

private:
    CLinkTracer m_tracer;
};

// Follows the line while it is open: one line per request, reply or failure.
class CTraceWindow : public QDialog {
    Q_OBJECT

public:
    explicit CTraceWindow(QWidget* parent = nullptr);
    ~CTraceWindow() override;

    // Takes the feed's lines from now on, whatever thread they come from.
    void Follow(CTraceFeed& feed);
    void AppendLine(const QString& line);

private:
    std::unique_ptr<Ui::CTraceWindow> m_form;
};
