#pragma once
// Sound effects: each sound is a WAV file loaded at start-up into one or more
// buffers of the mixer; playing a sound restarts its next buffer, so a sound
// overlaps itself as many times as it has buffers. Without a running output
// (DS_Init failed or was never called) every function is a harmless no-op.
// Safe from any thread: the mixer guards its buffers.

#include <cstdint>
#include <vector>

#include "app/base/element_sizes.h"
#include "platform/sound/audio_mixer.h"

struct SOUNDINFO {
  PLAYER_ELEMENT_SIZE(SOUNDINFO, 272);
  char szFileName[260] = {};
  int32_t nBuffers = 0;
  int32_t nVolume = 0;    // hundredths of a decibel, 0 = full
  int32_t nReserved = 0;  // set by start-up; not used by the sound layer
};

struct SOUNDDATA {
  PLAYER_ELEMENT_SIZE(SOUNDDATA, 284);
  char szFileName[260] = {};
  cSoundBuffer** lpBuffers = nullptr;  // nBuffers entries; 0 is read from the file
  int32_t nBuffers = 0;
  int32_t nNext = 0;  // buffer the next DS_Play uses
};

inline constexpr int kMaxSoundBuffers = 64;

bool DS_Init(void* hWnd, int nSamplesPerSec, int nBitsPerSample, int nChannels);
void DS_Release();
bool DS_IsRunning();

int DS_LoadSounds(std::vector<SOUNDDATA>* lpSounds, std::vector<SOUNDINFO>* lpInfos, int nVolume);
// DS_LoadSounds on a thread of its own (here, when no thread can be
// started): the start-up goes on to its first frames meanwhile. Every other
// DS_ function waits for the load to end first, and so must a caller that
// reads the tables' entries itself (DS_WaitForLoad).
void DS_LoadSoundsInBackground(std::vector<SOUNDDATA>* lpSounds, std::vector<SOUNDINFO>* lpInfos,
                               int nVolume);
void DS_WaitForLoad();
bool DS_CreateSound(SOUNDDATA& sd, const char* pszFileName, int nBuffers, int nVolume);
void DS_ReleaseSound(SOUNDDATA& sd);
bool DS_LoadWave(cSoundBuffer** lplpBuffer, const char* pszFileName);
bool DS_DuplicateBuffer(cSoundBuffer** lplpBuffer, cSoundBuffer* lpSource);

void DS_Play(SOUNDDATA& sd, uint32_t dwFlags);
int DS_SetVolume(SOUNDDATA& sd, int nIndex, int nVolume, int bRelative);
int DS_GetVolume(SOUNDDATA& sd, int nIndex);
