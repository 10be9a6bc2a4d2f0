#pragma once

#include <optional>
#include <string>

enum class FileDialogKind {
    SaveAs, // Read: the file the controller's data go to
    Open,   // Write: the file sent to the controller
};

// What a transfer command asks of whoever shows it to the user: the dialog,
// the command-line front end, or a test.
class ITransferUi {
public:
    virtual ~ITransferUi() = default;

    // The chosen path, or nothing when the user cancelled. `filter` is in
    // the form "Description (*.ext);;All Files (*)".
    virtual std::optional<std::string> ChooseFile(FileDialogKind kind, const std::string& filter) = 0;
    virtual void ShowWarning(const std::string& text) = 0;
    virtual void SetProgressRange(int low, int high) = 0;
    virtual void SetProgressPos(int pos) = 0;
};
