#pragma once
// The program's run, from the report log to the end of the message loop.

// Returns the process's exit status: 0 after a normal end (or when the user
// chose not to start a second copy), 1 when start-up failed.
int RunPlayer(int argc, char** argv);

// The game thread's routine: one frame of the scene manager per pass while
// the program is active, until it is asked to stop or a frame fails.
int GameLoop();
