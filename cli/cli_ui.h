#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "app/transfer_ui.h"

// The command line's side of a transfer: the file named on the command line
// stands in for the file dialog, messages go to standard error, and a
// progress bar is drawn there only when it is a terminal.
class CCliUi : public ITransferUi {
public:
    CCliUi(std::string file, std::FILE* err, bool showProgress);
    ~CCliUi() override;

    std::optional<std::string> ChooseFile(FileDialogKind kind, const std::string& filter) override;
    void ShowWarning(const std::string& text) override;
    void SetProgressRange(int low, int high) override;
    void SetProgressPos(int pos) override;

private:
    void DrawProgress();
    void EndProgressLine();

    std::string m_file;
    std::FILE* m_err;
    bool m_showProgress;
    bool m_progressDrawn = false;
    int m_low = 0;
    int m_high = 0;
    int m_pos = 0;
};
