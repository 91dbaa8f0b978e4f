#include "platform/sound/wave_file.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/base/file_system.h"

namespace {

uint32_t Le32(const char* p) {
  const auto* b = reinterpret_cast<const uint8_t*>(p);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}
uint16_t Le16(const char* p) {
  const auto* b = reinterpret_cast<const uint8_t*>(p);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

// Plain PCM layouts the mixer can play.
bool IsPlayablePcm(const WAVEFORMAT_PCM& f) {
  if (f.nChannels < 1 || f.nChannels > 2) return false;
  if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return false;
  if (f.nSamplesPerSec < 1000 || f.nSamplesPerSec > 192000) return false;
  return f.nBlockAlign == f.nChannels * (f.wBitsPerSample / 8);
}

}  // namespace

eWaveError ParseWave(std::string_view bytes, WAVEDATA& out) {
  out = WAVEDATA{};
  if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE")
    return eWaveError::kNotRiff;
  // The RIFF size may claim more than the file holds; the file decides.
  size_t nEnd = bytes.size();
  const uint64_t nRiffEnd = 8ull + Le32(bytes.data() + 4);
  if (nRiffEnd < nEnd) nEnd = static_cast<size_t>(nRiffEnd);

  bool bHaveFormat = false;
  WAVEFORMAT_PCM wfx;
  size_t nPos = 12;
  while (nPos + 8 <= nEnd) {
    const std::string_view id = bytes.substr(nPos, 4);
    const uint32_t nSize = Le32(bytes.data() + nPos + 4);
    const size_t nBody = nPos + 8;
    if (id == "fmt ") {
      if (nSize < 14 || nSize > nEnd - nBody) return eWaveError::kTruncated;
      const char* p = bytes.data() + nBody;
      wfx.wFormatTag = Le16(p);
      wfx.nChannels = Le16(p + 2);
      wfx.nSamplesPerSec = Le32(p + 4);
      wfx.nAvgBytesPerSec = Le32(p + 8);
      wfx.nBlockAlign = Le16(p + 12);
      if (nSize >= 16) wfx.wBitsPerSample = Le16(p + 14);
      if (nSize >= 18) wfx.cbSize = Le16(p + 16);
      if (wfx.wFormatTag != kWaveFormatPcm) return eWaveError::kNotPcm;
      if (!IsPlayablePcm(wfx)) return eWaveError::kBadFormat;
      bHaveFormat = true;
    } else if (id == "data") {
      // The sample data must come after the format.
      if (!bHaveFormat) return eWaveError::kNoFormat;
      if (nSize > nEnd - nBody) return eWaveError::kTruncated;
      const uint32_t nUsable = nSize - nSize % wfx.nBlockAlign;
      out.wfx = wfx;
      out.dwSize = nUsable;
      out.lpData = static_cast<uint8_t*>(std::malloc(nUsable ? nUsable : 1));
      if (out.lpData == nullptr) {
        out = WAVEDATA{};
        return eWaveError::kTruncated;
      }
      std::memcpy(out.lpData, bytes.data() + nBody, nUsable);
      return eWaveError::kOk;
    }
    // Chunks are padded to an even length.
    const uint64_t nNext = nBody + static_cast<uint64_t>(nSize) + (nSize & 1);
    if (nNext > nEnd) break;
    nPos = static_cast<size_t>(nNext);
  }
  return bHaveFormat ? eWaveError::kNoData : eWaveError::kNoFormat;
}

bool ReadWaveFile(std::string_view strFileName, WAVEDATA& out) {
  out = WAVEDATA{};
  cFileBytes fileBytes;
  if (!ReadWholeFile(strFileName, fileBytes)) return false;
  return ParseWave(fileBytes, out) == eWaveError::kOk;
}

void FreeWaveFile(WAVEDATA& data) {
  std::free(data.lpData);
  data.lpData = nullptr;
  data.dwSize = 0;
}
