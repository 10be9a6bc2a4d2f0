// ITransferUi: what a transfer command asks of the dialog, the CLI or a test.
#pragma once

#include <string>

#include "link/link_transactions.h"

// What a transfer command asks of whoever shows it to the user: the dialog,
// the command-line front end, or a test.
//
// `text` is always one of the system's own messages, shown as it stands.
// `detail`, when not empty, says why and what to do: the message box's
// informative text in the dialog, a second line on the command line.
class ITransferUi : public IBlockProgress {
public:
    virtual void ShowWarning(const std::string& text, const std::string& detail) = 0;
    void ShowWarning(const std::string& text) { ShowWarning(text, {}); }
    // A success worth telling, such as the result of a comparison.
    virtual void ShowInformation(const std::string& text, const std::string& detail) = 0;
    // A yes/no question whose default is No: true only for an explicit Yes.
    virtual bool AskYesNo(const std::string& question, const std::string& detail) = 0;
    // Whether a list in a detail is shown whole: a terminal or a script
    // reads every line, a message box only the first few.
    virtual bool ListsEveryLine() const { return false; }
};
