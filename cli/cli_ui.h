// CCliUi: the command line's side of a transfer, in place of the dialog.
#pragma once

#include <cstdio>
#include <string>

#include "transfer/transfer_ui.h"

// The command line's side of a transfer: messages go to standard error, and
// a progress bar is drawn there only when it is a terminal, and erased when
// a message comes or the command ends.
class CCliUi : public ITransferUi {
public:
    CCliUi(std::FILE* err, bool showProgress);
    ~CCliUi() override;

    using ITransferUi::ShowWarning;
    void ShowWarning(const std::string& text, const std::string& detail) override;
    void ShowInformation(const std::string& text, const std::string& detail) override;
    // Prints the question and its detail; the answer is the one given on
    // the command line, No unless told otherwise.
    bool AskYesNo(const std::string& question, const std::string& detail) override;
    void SetAnswer(bool yes) { m_answer = yes; }
    bool ListsEveryLine() const override { return true; }
    void SetProgressRange(int low, int high) override;
    void SetProgressPos(int pos) override;

private:
    void DrawProgress();
    void EraseProgress();

    std::FILE* m_err;
    bool m_showProgress;
    bool m_answer = false;
    int m_drawnWidth = 0; // columns the bar takes on the terminal; 0: none drawn
    int m_low = 0;
    int m_high = 0;
    int m_pos = 0;
};
