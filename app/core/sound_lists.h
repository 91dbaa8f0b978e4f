#pragma once
// Building the run-time sound list (sound_table.h) and the music player's
// path tables.
//
// With N rows in the Sound table the sound list holds N + 16 entries: the 17
// system sounds, then rows 1 and up. The music player keeps one Ogg and one
// MIDI path per music slot; every music request overwrites its slot before
// playing.

#include <array>

#include "app/core/sound_table.h"
#include "platform/sound/bgm_player.h"

inline constexpr int kMusicSlots = 5;  // 0 title, 1 world map, 2 challenge, 3 options, 4 stage
extern char g_szBgmOggPath[kMusicSlots][kOggPathSize];
extern char g_szBgmMidiPath[kMusicSlots][kMidiPathSize];

// Effect volume in hundredths of a decibel by the options' level 0..10.
inline constexpr std::array<int, 11> kEffectVolumes = {-10000, -3000, -2000, -1300, -800, -500,
                                                       -300,   -150,  -80,   -30,   0};

// Fills g_SoundInfo (and sizes g_SoundData) from the System record and the
// Sound table: buffer count 1, volume 0, third value 1.
void BuildSoundList();
// Starts the music player on the path tables (1 channel, 5 tracks), as
// start-up and the option scene do.
int InitMusicPlayer();

// Releases every sound and empties both lists; the path tables get their
// first names back (tests, shutdown).
void ResetSoundLists();
