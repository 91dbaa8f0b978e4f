// The player's entry: the working folder is the game folder; the arguments
// name a stage file to play at once.

#include "app/entry.h"

int main(int argc, char** argv) { return RunPlayer(argc, argv); }
