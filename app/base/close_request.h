#pragma once
// The close request: "post WM_CLOSE to the main window". The main window
// installs its handler at start-up; until then requests are only counted.

#include <functional>

// Asks the program to close through its normal close path. Safe from any thread.
void RequestClose();

// Installs the handler called by RequestClose (empty: none).
void SetCloseRequestHandler(std::function<void()> handler);

// A close asked for from outside the program (SIGTERM, SIGINT): the signal
// handler notes it (async-signal-safe). It stays noted, for the program is
// ending: from then on every open message box, dialog and file browser ends
// as cancelled, and a new one answers so at once, so that nothing holds up
// the close.
void NoteCloseSignal();
bool IsCloseSignalled();
// Forgets it (tests).
void ResetCloseSignal();

// Number of close requests made since start or the last reset (tests).
int GetCloseRequestCount();
void ResetCloseRequestCount();
