#pragma once
// Setting up the play data for a new game: a free play of one stage file (the
// title's free play, a stage named on the command line, the play scene's
// next part), a new story, and the lives a game starts with.

#include <string>

class cPlayData;

// Lives at the start of a game of play mode nMode (0 story, 1 challenge,
// 2 free play): 999999 for both when the mode has infinite lives, else the
// mode's lives L as the starting value and L - 1 left.
void SetStartLives(cPlayData& data, int nMode);

// Prepares a free play of one stage file: new-game play data, the stage
// loaded (the newest version when bVersioned), stage and part 1, the free
// play lives (infinite in a test play), and the path kept relative to the
// game folder. 0 when the stage cannot be loaded.
int StartStageFile(const char* pszPath, int bVersioned);

// Prepares the play data for a new story: new-game values, the hero on the
// world map's start cell, the story's lives.
void NewStoryGame();

// The stored name of challenge stage n (from 1): "data\stg4\c07-1.stg4" for
// 7; loaded as a versioned name.
std::string ChallengeStagePath(int n);
