#pragma once
// The program's sound effects, numbered as the game plays them: 0 .. 16 the
// System record's system sounds, then row k of the Sound table as k + 16.
// Start-up fills both lists; the sound layer makes the sounds from the infos.

#include "app/base/checked_containers.h"
#include "platform/sound/sound_effects.h"

inline constexpr int kSoundRowBase = 16;

extern cCheckedVector<SOUNDDATA> g_SoundData;
extern cCheckedVector<SOUNDINFO> g_SoundInfo;
