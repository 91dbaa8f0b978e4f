#pragma once
// Telling the editor about a test play. The editor is a separate program:
// when it starts the player it names a Unix datagram socket in the
// environment variable PLAYER_EDITOR_SOCKET, and the player sends it one
// 4-byte integer at the start and one at the end. Without the variable the
// program was not started by the editor and nothing is sent.

inline constexpr const char* kEditorSocketVariable = "PLAYER_EDITOR_SOCKET";

// True when the editor started the program (the variable is set).
bool IsEditorLaunch();
// Sends 1: the player has started.
void NotifyEditorStart();
// Sends the result: 1 a normal end, 0 start-up failed.
void NotifyEditorEnd(int nResult);
