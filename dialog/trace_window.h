// CTraceFeed and CTraceWindow: the link's trace carried to a window, a row per frame.
#pragma once

#include <QDialog>
#include <QMetaType>
#include <QObject>

#include <memory>

#include "link/link_tracer.h"

namespace Ui {
class CTraceWindow;
}

Q_DECLARE_METATYPE(TraceEntry)

// The link's observer for the trace window. The link calls it on whatever
// thread runs the transaction; each entry leaves as a signal, which a queued
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
    void EntryReady(const TraceEntry& entry);

private:
    CLinkTracer m_tracer;
};

// Follows the line while it is open, one row per request, reply or failure:
// the time, the direction, what it means, and the bytes, which the window
// cuts short when it is narrow (their tooltip holds them all). Ctrl+C copies
// the rows chosen as the trace file's lines.
class CTraceWindow : public QDialog {
    Q_OBJECT

public:
    explicit CTraceWindow(QWidget* parent = nullptr);
    ~CTraceWindow() override;

    // Takes the feed's entries from now on, whatever thread they come from.
    void Follow(CTraceFeed& feed);

private Q_SLOTS:
    void Append(const TraceEntry& entry);
    void CopyChosen();

private:
    std::unique_ptr<Ui::CTraceWindow> m_form;
};
