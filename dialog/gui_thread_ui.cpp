// CGuiThreadUi: a worker's calls carried to the window's thread through an eventfd.
#include "dialog/gui_thread_ui.h"

#include <QSocketNotifier>
#include <QThread>

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>
#include <utility>

CGuiThreadUi::CGuiThreadUi(ITransferUi& target, std::function<void()> finished)
    : m_target(target), m_finished(std::move(finished)), m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (m_wake < 0)
        throw std::runtime_error("no event descriptor for the worker thread");
    m_notifier = std::make_unique<QSocketNotifier>(m_wake, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { Serve(); });
}

CGuiThreadUi::~CGuiThreadUi()
{
    m_notifier.reset();
    ::close(m_wake);
}

void CGuiThreadUi::Wake()
{
    const std::uint64_t one = 1;
    // The counter only grows; a failed write could only mean it is full,
    // and then the window is woken anyway.
    [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
}

void CGuiThreadUi::OnWindowThread(const std::function<void()>& call)
{
    if (QThread::currentThread() == m_notifier->thread()) {
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
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = ::read(m_wake, &count, sizeof count);

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
    OnWindowThread([&] { m_target.ShowWarning(text, detail); });
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
