// MIDI output through FluidSynth, rendered into the mix.
//
// The library is opened when the first synthesizer is made, not linked: it
// and the thirty-odd libraries it pulls in would otherwise be loaded and
// bound at every start of the program, whether it plays MIDI or not.

#include <dlfcn.h>
#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "app/base/encoding.h"
#include "app/base/report_log.h"
#include "platform/sound/midi_out.h"

namespace {

// The functions used of FluidSynth, each called through the table below.
#define PLAYER_FLUID_FUNCTIONS(X) \
  X(new_fluid_settings)           \
  X(delete_fluid_settings)        \
  X(fluid_settings_setnum)        \
  X(fluid_settings_setint)        \
  X(new_fluid_synth)              \
  X(delete_fluid_synth)           \
  X(fluid_synth_sfload)           \
  X(fluid_set_log_function)       \
  X(fluid_synth_noteoff)          \
  X(fluid_synth_noteon)           \
  X(fluid_synth_key_pressure)     \
  X(fluid_synth_cc)               \
  X(fluid_synth_program_change)   \
  X(fluid_synth_channel_pressure) \
  X(fluid_synth_pitch_bend)       \
  X(fluid_synth_sysex)            \
  X(fluid_synth_all_notes_off)    \
  X(fluid_synth_system_reset)     \
  X(fluid_synth_write_float)

struct FLUIDAPI {
#define PLAYER_FLUID_MEMBER(name) decltype(&::name) name = nullptr;
  PLAYER_FLUID_FUNCTIONS(PLAYER_FLUID_MEMBER)
#undef PLAYER_FLUID_MEMBER
};

// The table, filled on the first call; null (with one report-log line) when
// the library or one of its functions is missing.
const FLUIDAPI* FluidApi() {
  static const FLUIDAPI* s_pApi = []() -> const FLUIDAPI* {
    void* hLibrary = ::dlopen(PLAYER_FLUIDSYNTH_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (hLibrary == nullptr) {
      ReportLog("Midi FluidSynth を読み込めません: %s", ::dlerror());
      return nullptr;
    }
    static FLUIDAPI s_api;
    const char* pszMissing = nullptr;
#define PLAYER_FLUID_LOAD(name)                                               \
  s_api.name = reinterpret_cast<decltype(&::name)>(::dlsym(hLibrary, #name)); \
  if (s_api.name == nullptr && pszMissing == nullptr) pszMissing = #name;
    PLAYER_FLUID_FUNCTIONS(PLAYER_FLUID_LOAD)
#undef PLAYER_FLUID_LOAD
    if (pszMissing != nullptr) {
      ReportLog("Midi FluidSynth に %s がありません", pszMissing);
      return nullptr;
    }
    return &s_api;
  }();
  return s_pApi;
}

void QuietFluidLog(int, const char*, void*) {}

class cFluidMidiOut : public cMidiOut {
 public:
  cFluidMidiOut(const FLUIDAPI& api, fluid_settings_t* lpSettings, fluid_synth_t* lpSynth)
      : m_api(api), m_lpSettings(lpSettings), m_lpSynth(lpSynth) {}
  ~cFluidMidiOut() override {
    m_api.delete_fluid_synth(m_lpSynth);
    m_api.delete_fluid_settings(m_lpSettings);
  }

  void ShortMessage(uint32_t dwMessage, int64_t) override {
    const int nStatus = dwMessage & 0xFF, d1 = (dwMessage >> 8) & 0x7F,
              d2 = (dwMessage >> 16) & 0x7F;
    const int ch = nStatus & 0x0F;
    switch (nStatus & 0xF0) {
      case 0x80:
        m_api.fluid_synth_noteoff(m_lpSynth, ch, d1);
        break;
      case 0x90:
        m_api.fluid_synth_noteon(m_lpSynth, ch, d1, d2);
        break;
      case 0xA0:
        m_api.fluid_synth_key_pressure(m_lpSynth, ch, d1, d2);
        break;
      case 0xB0:
        m_api.fluid_synth_cc(m_lpSynth, ch, d1, d2);
        break;
      case 0xC0:
        m_api.fluid_synth_program_change(m_lpSynth, ch, d1);
        break;
      case 0xD0:
        m_api.fluid_synth_channel_pressure(m_lpSynth, ch, d1);
        break;
      case 0xE0:
        m_api.fluid_synth_pitch_bend(m_lpSynth, ch, d1 | (d2 << 7));
        break;
      default:
        break;  // system messages mean nothing to the synthesizer
    }
  }

  void LongMessage(const uint8_t* lpBytes, size_t nBytes, int64_t) override {
    if (nBytes < 2 || lpBytes[0] != 0xF0) return;
    size_t n = nBytes - 1;
    if (lpBytes[nBytes - 1] == 0xF7) --n;
    m_api.fluid_synth_sysex(m_lpSynth, reinterpret_cast<const char*>(lpBytes + 1),
                            static_cast<int>(n), nullptr, nullptr, nullptr, 0);
  }

  void AllNotesOff() override { m_api.fluid_synth_all_notes_off(m_lpSynth, -1); }
  void Reset() override { m_api.fluid_synth_system_reset(m_lpSynth); }

  void Render(float* lpStereo, int nFrames) override {
    constexpr int kChunk = 512;
    float aLeft[kChunk], aRight[kChunk];
    for (int nDone = 0; nDone < nFrames;) {
      const int n = std::min(kChunk, nFrames - nDone);
      std::fill(aLeft, aLeft + n, 0.0f);
      std::fill(aRight, aRight + n, 0.0f);
      m_api.fluid_synth_write_float(m_lpSynth, n, aLeft, 0, 1, aRight, 0, 1);
      float* out = lpStereo + 2 * nDone;
      for (int i = 0; i < n; ++i) {
        out[2 * i] += aLeft[i];
        out[2 * i + 1] += aRight[i];
      }
      nDone += n;
    }
  }

 private:
  const FLUIDAPI& m_api;
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
  const FLUIDAPI* pApi = FluidApi();
  if (pApi == nullptr) return nullptr;
  const FLUIDAPI& api = *pApi;
  static std::once_flag quiet;
  std::call_once(quiet, [&api] {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
      api.fluid_set_log_function(level, QuietFluidLog, nullptr);
  });
  fluid_settings_t* lpSettings = api.new_fluid_settings();
  if (lpSettings == nullptr) return nullptr;
  api.fluid_settings_setnum(lpSettings, "synth.sample-rate", nRate);
  api.fluid_settings_setnum(lpSettings, "synth.gain", 0.5);
  api.fluid_settings_setint(lpSettings, "synth.threadsafe-api", 0);
  fluid_synth_t* lpSynth = api.new_fluid_synth(lpSettings);
  if (lpSynth == nullptr) {
    api.delete_fluid_settings(lpSettings);
    ReportLog("Midi FluidSynth を開始できません");
    return nullptr;
  }
  if (api.fluid_synth_sfload(lpSynth, strSoundFont.c_str(), 1) == FLUID_FAILED)
    ReportLog("Midi SoundFont %s を読み込めません", Utf8ToCp932(strSoundFont).c_str());
  return std::make_shared<cFluidMidiOut>(api, lpSettings, lpSynth);
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
