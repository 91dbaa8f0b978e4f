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
// SIGTERM (a second instance ending this one) and SIGINT ask for the close;
// the main thread's next pump runs it.

// Runs the close sequence on the main thread.
void CloseSequence();

void InstallCloseSignals();
// True once for the signals that came since the last call (the pump).
bool TakeCloseSignal();
// Forgets a signal not yet taken (tests).
void ResetCloseSignals();
