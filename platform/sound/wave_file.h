#pragma once
// RIFF/WAVE files for the sound effects: PCM only, the "fmt " chunk before the
// "data" chunk, any other chunk skipped. Every length is checked against the
// file, so a truncated or hostile file is refused, never over-read.

#include <cstdint>
#include <string_view>

// The wave format record as the file stores it (little-endian on disk).
struct WAVEFORMAT_PCM {
  uint16_t wFormatTag = 0;
  uint16_t nChannels = 0;
  uint32_t nSamplesPerSec = 0;
  uint32_t nAvgBytesPerSec = 0;
  uint16_t nBlockAlign = 0;
  uint16_t wBitsPerSample = 0;
  uint16_t cbSize = 0;
};

inline constexpr uint16_t kWaveFormatPcm = 1;

struct WAVEDATA {
  WAVEFORMAT_PCM wfx;
  uint8_t* lpData = nullptr;  // allocated by ReadWaveFile, freed by FreeWaveFile
  uint32_t dwSize = 0;        // bytes of sample data
};

// Why a file was refused; kOk when it was read.
enum class eWaveError { kOk, kOpen, kNotRiff, kNoFormat, kNotPcm, kBadFormat, kNoData, kTruncated };

// Reads a stored path. On failure out stays empty.
bool ReadWaveFile(std::string_view strFileName, WAVEDATA& out);
// Parses a file image already in memory.
eWaveError ParseWave(std::string_view bytes, WAVEDATA& out);
void FreeWaveFile(WAVEDATA& data);
