#pragma once
// The main window's close sequence (WM_CLOSE) and the signals that ask for
// it.
//
// The close: save the window placement; while a nested loop runs, only ask
// the play scene to quit and that loop to end (the play frame then asks for
// the close again); otherwise begin shutdown (every blocked request and
// vertical-sync wait is released), stop the music and the threads, and
// destroy the window, which ends the message loop.
//
// SIGTERM (a second instance ending this one, the system) and SIGINT ask
// for the close: an open message box, dialog or file browser ends at once
// as cancelled (close_request.h), and the main thread's next pump runs the
// close.

// Runs the close sequence on the main thread. A thread that does not stop
// is never torn down under: the process then ends in the sequence
// (EndProcessNow).
void CloseSequence();

// Ends the process where it stands, with one report-log line naming why:
// the user files are saved (the window placement; every other user file is
// saved when it changes), the editor is told, and nothing is released that
// a thread still running may use (no teardown, no static destructors).
[[noreturn]] void EndProcessNow(int nStatus, const char* pszWhy);

void InstallCloseSignals();
// True once, when a signal has come (the pump then runs the close).
bool TakeCloseSignal();
// Forgets a signal not yet taken (tests).
void ResetCloseSignals();
