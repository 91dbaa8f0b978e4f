#pragma once
// The software mixer behind every sound of the program.
//
// Sound-effect buffers (sample data shared between duplicates, each with its
// own cursor, volume and play state) and music sources are mixed into one
// stereo output at the output's rate, the rate the audio device runs at. A
// buffer's data is converted to that rate when the buffer is made (a band-
// limited conversion, see resampler.h), so its duration and pitch stay those
// of the file and mixing it is a plain sum. The mixer is pulled: Render()
// produces the next N frames, so the audio device, tests and benchmarks
// drive it alike. Every public operation is safe from any thread; one mutex
// guards the state, held by Render for the time of one block and by the
// other operations only for a few steps, never for a conversion.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// Decoded PCM of one sound file: 16-bit samples, interleaved when stereo.
struct cSampleData {
  int nRate = 22050;
  int nChannels = 1;  // 1 or 2
  std::vector<int16_t> vSamples;
  uint32_t Frames() const { return static_cast<uint32_t>(vSamples.size() / nChannels); }
};

// Converts a WAV's PCM bytes (8-bit unsigned or 16-bit signed) to sample data.
std::shared_ptr<const cSampleData> MakeSampleData(const uint8_t* lpData, uint32_t nBytes, int nRate,
                                                  int nChannels, int nBits);

// The rate asked of the audio device; the mixer runs at the one it gives.
inline constexpr int kRequestedOutputRate = 48000;

// A music source mixed after the sound effects.
class cAudioSource {
 public:
  virtual ~cAudioSource() = default;
  // Adds nFrames stereo frames at the output rate nRate to lpStereo. Called
  // with the mixer locked, on the thread that renders: it must not wait.
  virtual void MixInto(float* lpStereo, int nFrames, int nRate) = 0;
};

// Gain of a volume in hundredths of a decibel (0 full, -10000 silent).
float VolumeToGain(int nVolume);

inline constexpr int kVolumeMin = -10000;
inline constexpr int kVolumeMax = 0;
inline constexpr uint32_t kPlayLooping = 1;  // play flag: loop until stopped

class cSoundBuffer;

class cAudioMixer {
 public:
  explicit cAudioMixer(int nRate = kRequestedOutputRate);
  ~cAudioMixer();
  cAudioMixer(const cAudioMixer&) = delete;
  cAudioMixer& operator=(const cAudioMixer&) = delete;

  int Rate() const { return m_nRate; }
  // Changes the output rate; only while nothing plays (the device is closed):
  // every buffer's data is converted again, with the mixer locked.
  void SetRate(int nRate);

  // Buffers belong to the mixer until DestroyBuffer. Null data gives null,
  // and so does data the mixer cannot convert (see resampler.h).
  cSoundBuffer* CreateBuffer(std::shared_ptr<const cSampleData> data);
  // A new buffer over the same sample data, with its own cursor and volume.
  cSoundBuffer* DuplicateBuffer(const cSoundBuffer* lpSource);
  void DestroyBuffer(cSoundBuffer* lpBuffer);
  int BufferCount() const;

  // Stops the buffer, rewinds it and plays it from the start.
  void Play(cSoundBuffer* lpBuffer, uint32_t dwFlags);
  void Stop(cSoundBuffer* lpBuffer);
  bool IsPlaying(const cSoundBuffer* lpBuffer) const;
  // Read position in frames of the buffer's own data (the file's rate).
  uint32_t GetPosition(const cSoundBuffer* lpBuffer) const;
  void SetVolume(cSoundBuffer* lpBuffer, int nVolume);  // clamped to -10000..0
  int GetVolume(const cSoundBuffer* lpBuffer) const;
  int PlayingCount() const;

  void AddSource(cAudioSource* lpSource);
  void RemoveSource(cAudioSource* lpSource);  // waits for a block in progress

  // The next nFrames stereo frames, interleaved, replacing the contents.
  void Render(float* lpStereo, int nFrames);
  void RenderS16(int16_t* lpStereo, int nFrames);

 private:
  void MixVoices(float* lpStereo, int nFrames);
  cSoundBuffer* AddBuffer(std::shared_ptr<const cSampleData> data,
                          std::shared_ptr<const cSampleData> mix);

  mutable std::mutex m_Lock;
  std::atomic<int> m_nRate;
  std::vector<std::unique_ptr<cSoundBuffer>> m_vBuffers;
  std::vector<cSoundBuffer*> m_vPlaying;
  std::vector<cAudioSource*> m_vSources;
};
