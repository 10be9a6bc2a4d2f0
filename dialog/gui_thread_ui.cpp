// CGuiThreadUi: a worker's calls carried to the window's thread by queued wake-ups.
#include "dialog/gui_thread_ui.h"

#include "dialog/interrupted_run.h"
#include "platform/temp_registry.h"

#include <QMetaObject>
#include <QThread>

#include <utility>

CGuiThreadUi::CGuiThreadUi(ITransferUi& target, std::function<void()> finished)
    : m_target(target), m_finished(std::move(finished)), m_window(std::make_unique<QObject>())
{
}

// The window's object goes first: a wake-up still queued for it is dropped
// with it and never reaches the members below.
CGuiThreadUi::~CGuiThreadUi()
{
    m_window.reset();
}

void CGuiThreadUi::Wake()
{
    // Wake-ups that come while the window is busy queue up; each serves
    // whatever is waiting then, and the rest find nothing to do.
    QMetaObject::invokeMethod(m_window.get(), [this] { Serve(); }, Qt::QueuedConnection);
}

void CGuiThreadUi::OnWindowThread(const std::function<void()>& call)
{
    if (QThread::currentThread() == m_window->thread()) {
        call();
        return;
    }
    std::unique_lock lock(m_mutex);
    m_call = &call;
    m_done = false;
    Wake();
    m_answered.wait(lock, [this] { return m_done; });
}

void CGuiThreadUi::Finish()
{
    {
        const std::lock_guard lock(m_mutex);
        m_through = true;
    }
    Wake();
}

void CGuiThreadUi::Serve()
{
    std::unique_lock lock(m_mutex);
    if (m_call != nullptr) {
        const std::function<void()>* call = std::exchange(m_call, nullptr);
        // The worker waits meanwhile; a message box may run an event loop
        // of its own in the call.
        lock.unlock();
        (*call)();
        lock.lock();
        m_done = true;
        m_answered.notify_one();
    }
    const bool through = std::exchange(m_through, false);
    lock.unlock();
    if (through && m_finished)
        m_finished();
}

void CGuiThreadUi::ShowWarning(const std::string& text, const std::string& detail)
{
    OnWindowThread([&] {
        // The program ends after this message; should it end before the
        // operator has read it, the next start shows it.
        const bool interrupted = PendingInterrupt() != 0;
        if (interrupted)
            LeaveMessage(text, detail);
        m_target.ShowWarning(text, detail);
        if (interrupted)
            ForgetLeftMessage();
    });
}

void CGuiThreadUi::ShowInformation(const std::string& text, const std::string& detail)
{
    OnWindowThread([&] { m_target.ShowInformation(text, detail); });
}

bool CGuiThreadUi::AskYesNo(const std::string& question, const std::string& detail)
{
    bool yes = false;
    OnWindowThread([&] { yes = m_target.AskYesNo(question, detail); });
    return yes;
}

void CGuiThreadUi::SetProgressRange(int low, int high)
{
    OnWindowThread([&] { m_target.SetProgressRange(low, high); });
}

void CGuiThreadUi::SetProgressPos(int pos)
{
    OnWindowThread([&] { m_target.SetProgressPos(pos); });
}
