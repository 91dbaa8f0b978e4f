#pragma once
// The sample game: a complete small game project made in code, the game a
// newcomer plays first and the fixture of the end-to-end tests.
//
// WriteSampleGame writes it into the current folder, in the form a game
// ships in: the project under "default\" (which the player copies to
// "data\" on its first start), "System.ini", the bitmaps under "bmp\", the
// sound effects under "wave\" and the music under "bgm\". The output is the
// same, byte for byte, on every run.
//
// What it holds:
// - System record with the title, the menus and the status display; the ten
//   database tables; a world map with two stages, a gate that opens once the
//   first stage is cleared and a castle; the common palette.
// - Stages "w01-1" and "w02-1" (story, on the world map) and "c01-1"
//   (challenge), each with ground, walls, a pit, a hero, an enemy, items and
//   two goals: a goal item and a goal block in the ground whose item, the
//   goal item's, clears the stage when the hero stands on it. The hero
//   appears in a circle that opens; the challenge stage's slimes are a
//   half-transparent ghost, which fades to white when defeated, and a jelly
//   slime that wobbles.
// - The hero's flows: left and right arrows walk, Z jumps (higher while
//   held), X fires.

#include <string>
#include <string_view>

// Writes the whole sample into the current folder. False (with a report-log
// line naming the file) when a file could not be written.
bool WriteSampleGame();

// Parts of WriteSampleGame, each writing its own files.
bool WriteSampleBitmaps();
bool WriteSampleSounds();
bool WriteSampleProject();  // records under "default\" and "System.ini"

// Writes one file at a stored path, making its folders; false after a
// report-log line when that fails.
bool WriteSampleFile(std::string_view storedPath, std::string_view bytes);
// Makes the folders of a stored path (its last component excluded).
bool MakeParentFolders(std::string_view storedPath);
