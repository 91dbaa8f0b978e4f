#include "app/core/sound_table.h"

cCheckedVector<SOUNDDATA> g_SoundData;
cCheckedVector<SOUNDINFO> g_SoundInfo;
