// What SIGINT, SIGTERM and SIGHUP do to the dialog program, and the message they may leave.
#pragma once

#include <string>

class CMFCVemSyncDlg;
class ITransferUi;

// What a signal (SIGINT, SIGTERM, SIGHUP) does to the dialog program. The
// signal is deferred: a command under way stops once the block in flight
// has finished, says what the controller now holds, and the program ends;
// with no command under way it ends at once. The message is kept in the
// settings while it is shown, so that one the operator never saw (the
// session was ending) is shown at the next start.

// Ends the dialog once a deferred signal has come: at once while it is
// idle, else when its command has finished. Lives as long as the dialog.
void EndOnInterrupt(CMFCVemSyncDlg& dialog);

// Keeps a message for the next start, until ForgetLeftMessage.
void LeaveMessage(const std::string& text, const std::string& detail);
void ForgetLeftMessage();
// Shows the message an interrupted run left, if any, and forgets it.
void ShowLeftMessage(ITransferUi& ui);
