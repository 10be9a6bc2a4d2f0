#pragma once

#include <QObject>

#include <functional>

#include "app/transfer_ui.h"

// The user interface of a command that runs on a worker thread. Every call
// is carried over to the thread of `window` (the thread that owns the
// widgets), made there on `target`, and waited for, so the command goes on
// only once the user has answered and sees its steps in the usual order.
// Called on the window's own thread it calls `target` directly.
class CGuiThreadUi : public ITransferUi {
public:
    CGuiThreadUi(QObject& window, ITransferUi& target);

    std::optional<std::string> ChooseFile(FileDialogKind kind, const std::string& filter) override;
    using ITransferUi::ShowWarning;
    void ShowWarning(const std::string& text, const std::string& detail) override;
    void ShowInformation(const std::string& text, const std::string& detail) override;
    bool AskYesNo(const std::string& question, const std::string& detail) override;
    void SetProgressRange(int low, int high) override;
    void SetProgressPos(int pos) override;

private:
    void OnWindowThread(const std::function<void()>& call);

    QObject& m_window;
    ITransferUi& m_target;
};
