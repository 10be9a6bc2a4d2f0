#include "app/gui_thread_ui.h"

#include <QThread>

#include <condition_variable>
#include <mutex>

CGuiThreadUi::CGuiThreadUi(QObject& window, ITransferUi& target) : m_window(window), m_target(target)
{
}

// The hand-over is guarded by a mutex of its own rather than by Qt's blocking
// connection, so that the thread checker sees every step of it.
void CGuiThreadUi::OnWindowThread(const std::function<void()>& call)
{
    if (QThread::currentThread() == m_window.thread()) {
        call();
        return;
    }
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    QMetaObject::invokeMethod(
        &m_window,
        [&] {
            call();
            const std::lock_guard lock(mutex);
            done = true;
            answered.notify_one();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex);
    answered.wait(lock, [&] { return done; });
}

std::optional<std::string> CGuiThreadUi::ChooseFile(FileDialogKind kind, const std::string& filter)
{
    std::optional<std::string> chosen;
    OnWindowThread([&] { chosen = m_target.ChooseFile(kind, filter); });
    return chosen;
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
