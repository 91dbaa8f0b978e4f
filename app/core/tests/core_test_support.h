#pragma once
// Shared pieces of the shell tests: a sound table of real sounds on an
// output that nobody pulls, so a test can count what was played.

#include <cstdio>
#include <string>
#include <vector>

#include "app/base/file_system.h"
#include "app/core/sound_table.h"
#include "platform/sound/sound_effects.h"
#include "platform/sound/tests/sound_test_support.h"

// g_SoundData holds nSounds sounds of nBuffers buffers each while the object
// lives; DS_Play moves a sound's next-buffer index, which Plays counts. The
// sound file is written into the working folder (a test game folder).
class cSoundTableFixture {
 public:
  cSoundTableFixture(int nSounds, int nBuffers) : m_nBuffers(nBuffers) {
    WriteFileAtomically("beep.wav", soundtest::ConstantWav8(22050, 64, 200));
    DS_Init(nullptr, 22050, 8, 1);
    g_SoundData.assign(static_cast<size_t>(nSounds), SOUNDDATA());
    for (SOUNDDATA& sd : g_SoundData) DS_CreateSound(sd, "beep.wav", nBuffers, 0);
    m_Last.assign(static_cast<size_t>(nSounds), 0);
    m_Total.assign(static_cast<size_t>(nSounds), 0);
  }
  ~cSoundTableFixture() {
    for (SOUNDDATA& sd : g_SoundData) DS_ReleaseSound(sd);
    DS_Release();
    g_SoundData.clear();
  }
  cSoundTableFixture(const cSoundTableFixture&) = delete;
  cSoundTableFixture& operator=(const cSoundTableFixture&) = delete;

  // Plays of sound n so far (fewer than the buffer count between two calls).
  int Plays(int n) {
    const size_t i = static_cast<size_t>(n);
    const int nNext = g_SoundData[i].nNext;
    m_Total[i] += (nNext - m_Last[i] + m_nBuffers) % m_nBuffers;
    m_Last[i] = nNext;
    return m_Total[i];
  }

 private:
  soundtest::cPulledOutput m_Output;
  int m_nBuffers;
  std::vector<int> m_Last, m_Total;
};
