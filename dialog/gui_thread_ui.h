// CGuiThreadUi: the user interface of a command that runs on a worker thread.
#pragma once

#include <QObject>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "transfer/transfer_ui.h"

// The user interface of a command that runs on a worker thread. Every call
// is carried over to the window's thread (the thread that constructed this
// object and owns the widgets), made there on `target`, and waited for, so
// the command goes on only once the user has answered and sees its steps in
// the usual order. Called on the window's own thread it calls `target`
// directly.
//
// The worker hands a call over under a mutex of the standard library and
// wakes the window's event loop with a queued invocation that carries
// nothing but this object; the call, its answer and the worker's end pass
// under the mutex, so the hand-over is plain to the thread checker as well
// (Qt's own blocking invocation waits on a semaphore it cannot see).
class CGuiThreadUi : public ITransferUi {
public:
    // `finished` runs on the window's thread after the worker's Finish().
    CGuiThreadUi(ITransferUi& target, std::function<void()> finished);
    ~CGuiThreadUi() override;
    CGuiThreadUi(const CGuiThreadUi&) = delete;
    CGuiThreadUi& operator=(const CGuiThreadUi&) = delete;

    using ITransferUi::ShowWarning;
    void ShowWarning(const std::string& text, const std::string& detail) override;
    void ShowInformation(const std::string& text, const std::string& detail) override;
    bool AskYesNo(const std::string& question, const std::string& detail) override;
    void SetProgressRange(int low, int high) override;
    void SetProgressPos(int pos) override;

    // The worker's last step: tells the window's thread that it is through.
    void Finish();

private:
    void OnWindowThread(const std::function<void()>& call);
    void Wake();
    // On the window's thread, when the worker has woken it.
    void Serve();

    ITransferUi& m_target;
    std::function<void()> m_finished;
    // Lives on the window's thread; the wake-ups are queued to it, and go
    // with it.
    std::unique_ptr<QObject> m_window;

    std::mutex m_mutex;
    std::condition_variable m_answered;
    const std::function<void()>* m_call = nullptr; // waiting for the window
    bool m_done = false;                           // the call has been made
    bool m_through = false;                        // the worker has finished
};
