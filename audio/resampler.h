#pragma once
// Converts the engine's rate to a device's, for a device that plays only its
// own rate (a JACK server runs at one rate, mostly 48000 Hz, and the engine
// at the configured Frequency). Through libsamplerate; its state and
// buffers are made at Open, so Read allocates nothing and takes no lock.

#include <cstdint>
#include <memory>

class cResampler {
 public:
  // Fills count stereo frames of the engine's sound, advancing its cursor.
  using cSource = void (*)(void* user, int16_t* frames, uint32_t count);

  cResampler() = default;
  ~cResampler();
  cResampler(const cResampler&) = delete;
  cResampler& operator=(const cResampler&) = delete;

  // false when the converter cannot be made.
  bool Open(uint32_t fromRate, uint32_t toRate, cSource source, void* user);
  void Close();
  bool Active() const { return state != nullptr; }
  // Forgets the sound it holds: the source starts again elsewhere.
  void Reset();

  // Device thread: count stereo frames at the device's rate.
  void Read(int16_t* out, uint32_t count);

 private:
  static long Supply(void* self, float** data);

  static constexpr uint32_t kChunk = 256;  // frames asked of the source at a time
  void* state = nullptr;                   // SRC_STATE
  double ratio = 1.0;                      // device frames per engine frame
  cSource source = nullptr;
  void* user = nullptr;
  std::unique_ptr<int16_t[]> input;
  std::unique_ptr<float[]> inputFloats;
  std::unique_ptr<float[]> outputFloats;
};
