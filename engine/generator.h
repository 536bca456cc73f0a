#pragma once
// The interface of a sound generator: 22 operations in a fixed order. Each
// channel owns one generator of each kind; the generator manager routes calls
// to the one selected for the channel. Generators are used only under the
// engine lock and never block or allocate.

#include <cstdint>

// Generator types, as word 31 of an instrument block selects them.
enum : int32_t { kGenBass = 0, kGenSampler = 1, kGenFM = 2, kGenKinds = 3 };

// Word 31 of every parameter block is the generator type.
constexpr int kParamGenType = 31;

// The two effect-command columns of the row, as a generator keeps them.
struct cCommandColumns {
  struct cColumn {
    int32_t command = 0, parameter = 0;
    int32_t high = 0, low = 0;  // the parameter's nibbles
    // What an arpeggio adds to the note at a tick: nothing, the high nibble,
    // the low nibble for tick mod 3 = 0, 1, 2.
    int32_t ArpeggioStep(int32_t tick) const {
      const int32_t phase = ((tick % 3) + 3) % 3;
      return phase == 0 ? 0 : phase == 1 ? high : low;
    }
  };

  // Column 0 or 1 takes a command word (high byte the command, low byte its
  // parameter); returns the column.
  cColumn& Take(int32_t column, int32_t word) {
    cColumn& c = columns[column & 1];
    c.command = (word >> 8) & 0xFF;
    c.parameter = word & 0xFF;
    c.high = c.parameter >> 4;
    c.low = c.parameter & 0x0F;
    return c;
  }
  bool Has(int32_t command) const {
    return columns[0].command == command || columns[1].command == command;
  }
  void Clear() { columns[0] = columns[1] = cColumn{}; }
  const cColumn* begin() const { return columns; }
  const cColumn* end() const { return columns + 2; }

  cColumn columns[2];
};

class cGenerator {
 public:
  virtual ~cGenerator() = default;

  virtual void Init(int32_t sampleRate) = 0;
  // Voices off, envelopes idle, playing flag 0; the synthesizers also reload
  // their default parameters.
  virtual void Reset() = 0;
  // Overwrites frames (interleaved left, right); a silent generator writes zeros.
  virtual void Render(float* frames, int32_t count) = 0;
  virtual void NoteOn(int32_t note) = 0;
  virtual void SetPitch(int32_t note) = 0;
  virtual void NoteOff() = 0;
  virtual void SetPlaying(int32_t playing) = 0;
  virtual void SetPan(int32_t pan) = 0;
  virtual void PanSlide(int32_t step) = 0;
  virtual void SetVolume(int32_t volume) = 0;
  virtual void VolumeSlide(int32_t step) = 0;
  virtual void LoadDefaults() = 0;
  virtual void GetDefaults(int16_t* params) = 0;
  virtual void SetParams(const int16_t* params) = 0;
  virtual void SetParam(int32_t index, int16_t value) = 0;
  virtual void FilterParams(int16_t* params) = 0;
  virtual void FormatParam(char* text, int32_t index, int16_t value) = 0;
  // High byte the command, low byte its parameter; column 0 or 1.
  virtual void SetCommand(int32_t column, int32_t command) = 0;
  virtual void Tick(int32_t tick) = 0;
  virtual void SetInstrumentNumber(int32_t instrument) = 0;
  virtual int32_t GetPlayPosition() = 0;
  virtual int32_t GetVoiceCount() = 0;

  // Release with 15 ms release times, for cuts and stops. Not one of the
  // routed operations: the manager calls it on all three of a channel.
  virtual void FastRelease() = 0;
};
