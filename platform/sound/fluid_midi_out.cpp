// MIDI output through FluidSynth, rendered into the mix.

#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "app/base/encoding.h"
#include "app/base/report_log.h"
#include "platform/sound/midi_out.h"

namespace {

void QuietFluidLog(int, const char*, void*) {}

class cFluidMidiOut : public cMidiOut {
 public:
  cFluidMidiOut(fluid_settings_t* lpSettings, fluid_synth_t* lpSynth)
      : m_lpSettings(lpSettings), m_lpSynth(lpSynth) {}
  ~cFluidMidiOut() override {
    delete_fluid_synth(m_lpSynth);
    delete_fluid_settings(m_lpSettings);
  }

  void ShortMessage(uint32_t dwMessage, int64_t) override {
    const int nStatus = dwMessage & 0xFF, d1 = (dwMessage >> 8) & 0x7F,
              d2 = (dwMessage >> 16) & 0x7F;
    const int ch = nStatus & 0x0F;
    switch (nStatus & 0xF0) {
      case 0x80:
        fluid_synth_noteoff(m_lpSynth, ch, d1);
        break;
      case 0x90:
        fluid_synth_noteon(m_lpSynth, ch, d1, d2);
        break;
      case 0xA0:
        fluid_synth_key_pressure(m_lpSynth, ch, d1, d2);
        break;
      case 0xB0:
        fluid_synth_cc(m_lpSynth, ch, d1, d2);
        break;
      case 0xC0:
        fluid_synth_program_change(m_lpSynth, ch, d1);
        break;
      case 0xD0:
        fluid_synth_channel_pressure(m_lpSynth, ch, d1);
        break;
      case 0xE0:
        fluid_synth_pitch_bend(m_lpSynth, ch, d1 | (d2 << 7));
        break;
      default:
        break;  // system messages mean nothing to the synthesizer
    }
  }

  void LongMessage(const uint8_t* lpBytes, size_t nBytes, int64_t) override {
    if (nBytes < 2 || lpBytes[0] != 0xF0) return;
    size_t n = nBytes - 1;
    if (lpBytes[nBytes - 1] == 0xF7) --n;
    fluid_synth_sysex(m_lpSynth, reinterpret_cast<const char*>(lpBytes + 1), static_cast<int>(n),
                      nullptr, nullptr, nullptr, 0);
  }

  void AllNotesOff() override { fluid_synth_all_notes_off(m_lpSynth, -1); }
  void Reset() override { fluid_synth_system_reset(m_lpSynth); }

  void Render(float* lpStereo, int nFrames) override {
    constexpr int kChunk = 512;
    float aLeft[kChunk], aRight[kChunk];
    for (int nDone = 0; nDone < nFrames;) {
      const int n = std::min(kChunk, nFrames - nDone);
      std::fill(aLeft, aLeft + n, 0.0f);
      std::fill(aRight, aRight + n, 0.0f);
      fluid_synth_write_float(m_lpSynth, n, aLeft, 0, 1, aRight, 0, 1);
      float* out = lpStereo + 2 * nDone;
      for (int i = 0; i < n; ++i) {
        out[2 * i] += aLeft[i];
        out[2 * i + 1] += aRight[i];
      }
      nDone += n;
    }
  }

 private:
  fluid_settings_t* m_lpSettings;
  fluid_synth_t* m_lpSynth;
};

std::mutex g_MakerLock;
MidiOutMaker g_Maker;

}  // namespace

std::string GetSoundFontPath() {
  const char* psz = std::getenv(kSoundFontVariable);
  return psz != nullptr && *psz != '\0' ? std::string(psz) : std::string(kDefaultSoundFont);
}

std::shared_ptr<cMidiOut> CreateFluidMidiOut(int nRate, const std::string& strSoundFont) {
  static std::once_flag quiet;
  std::call_once(quiet, [] {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
      fluid_set_log_function(level, QuietFluidLog, nullptr);
  });
  fluid_settings_t* lpSettings = new_fluid_settings();
  if (lpSettings == nullptr) return nullptr;
  fluid_settings_setnum(lpSettings, "synth.sample-rate", nRate);
  fluid_settings_setnum(lpSettings, "synth.gain", 0.5);
  fluid_settings_setint(lpSettings, "synth.threadsafe-api", 0);
  fluid_synth_t* lpSynth = new_fluid_synth(lpSettings);
  if (lpSynth == nullptr) {
    delete_fluid_settings(lpSettings);
    ReportLog("Midi FluidSynth を開始できません");
    return nullptr;
  }
  if (fluid_synth_sfload(lpSynth, strSoundFont.c_str(), 1) == FLUID_FAILED)
    ReportLog("Midi SoundFont %s を読み込めません", Utf8ToCp932(strSoundFont).c_str());
  return std::make_shared<cFluidMidiOut>(lpSettings, lpSynth);
}

void SetMidiOutMaker(MidiOutMaker maker) {
  std::lock_guard lock(g_MakerLock);
  g_Maker = std::move(maker);
}

std::shared_ptr<cMidiOut> MakeMidiOut(int nRate) {
  {
    std::lock_guard lock(g_MakerLock);
    if (g_Maker) return g_Maker(nRate);
  }
  // The SoundFont is loaded once and the synthesizer kept for the next
  // stream, as long as no other stream still uses it.
  static std::mutex cacheLock;
  static auto* lpCached = new std::shared_ptr<cMidiOut>();
  static int nCachedRate = 0;
  std::lock_guard lock(cacheLock);
  if (*lpCached && lpCached->use_count() == 1 && nCachedRate == nRate) {
    (*lpCached)->Reset();
    return *lpCached;
  }
  auto out = CreateFluidMidiOut(nRate, GetSoundFontPath());
  if (!*lpCached || lpCached->use_count() == 1) {
    *lpCached = out;
    nCachedRate = nRate;
  }
  return out;
}
