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

// Runs the close sequence on the main thread.
void CloseSequence();

void InstallCloseSignals();
// True once, when a signal has come (the pump then runs the close).
bool TakeCloseSignal();
// Forgets a signal not yet taken (tests).
void ResetCloseSignals();
