#pragma once
// The close request: "post WM_CLOSE to the main window". The main window
// installs its handler at start-up; until then requests are only counted.

#include <functional>

// Asks the program to close through its normal close path. Safe from any thread.
void RequestClose();

// Installs the handler called by RequestClose (empty: none).
void SetCloseRequestHandler(std::function<void()> handler);

// Number of close requests made since start or the last reset (tests).
int GetCloseRequestCount();
void ResetCloseRequestCount();
