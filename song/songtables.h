#pragma once
// The song as fixed-capacity tables: sequence, pattern store, copy buffer,
// song settings, channel mixer state and the instrument table. Nothing here
// grows while the program runs; the file format writes several of these
// tables byte for byte, so the memory layout is also the storage layout.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>

static_assert(std::endian::native == std::endian::little,
              "song tables are stored little-endian, as they lie in memory");

constexpr int kChannels = 16;
constexpr int kRows = 64;
constexpr int kPatterns = 256;
constexpr int kPositions = 4096;
constexpr int kInstruments = 128;
constexpr int kInstrumentWords = 128;
constexpr int kChains = 20;  // 16 channel chains, then the 4 aux buses
constexpr int kSlots = 4;
constexpr int kAuxBuses = 4;

constexpr size_t kCellBytes = 8;
constexpr size_t kChannelBytes = kRows * kCellBytes;              // 512
constexpr size_t kPatternBytes = kChannels * kChannelBytes;       // 8192
constexpr size_t kSequenceBytes = kPositions * 8;                 // 32768
constexpr size_t kPatternStoreBytes = kPatterns * kPatternBytes;  // 2097152
constexpr size_t kCopyBufferBytes = 9216;
constexpr size_t kSongMemoryBytes = kSequenceBytes + kPatternStoreBytes + kCopyBufferBytes;
static_assert(kSongMemoryBytes == 2139136);

constexpr uint8_t kNoteRelease = 109;
constexpr uint8_t kMaxNoteByte = 108;  // note number 107, stored plus one
constexpr uint8_t kEmptyCell[kCellBytes] = {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00};

// A closed range of a song setting.
struct cSettingRange {
  int32_t low, high;
  constexpr bool Holds(int32_t v) const { return v >= low && v <= high; }
  constexpr int32_t Clamp(int32_t v) const { return v < low ? low : v > high ? high : v; }
};

// The ranges of the song settings. A song file, the settings file and the
// editors hold the settings to them; the mixer and the player rely on it.
constexpr cSettingRange kChannelCountRange{0, kChannels};
constexpr cSettingRange kMasterVolumeRange{0, 200};  // percent
constexpr cSettingRange kMasterPanRange{-100, 100};  // left to right
constexpr cSettingRange kBpmRange{32, 255};
constexpr cSettingRange kSpeedRange{0, 31};           // ticks per row; 0 halts the rows
constexpr cSettingRange kChannelVolumeRange{0, 300};  // percent

// Channel modes of a sequence position.
enum : int { kModeSkip = 0, kModePlay = 1, kModeRelease = 2, kModeCut = 3 };

// The values a new song starts with (the configuration supplies them).
struct cSongDefaults {
  int32_t channels = 4;
  int32_t masterVolume = 120;
  int32_t masterPan = 0;
  int32_t bpm = 126;
  int32_t speed = 6;
  int32_t octave = 3;
  int32_t rowAdd = 1;
};

// Per-channel on-flags immediately followed by the solo index: the waveform
// display toggles these 17 words through one pointer.
struct cMixerFlags {
  int32_t on[kChannels];
  int32_t solo;  // -1: no channel soloed
};
static_assert(offsetof(cMixerFlags, solo) == kChannels * sizeof(int32_t));

class cSongTables {
 public:
  cSongTables();

  // The song memory block, carved into sequence, pattern store, copy buffer.
  uint8_t* Memory() { return memory.get(); }
  uint8_t* Sequence() { return memory.get(); }
  uint8_t* PatternStore() { return memory.get() + kSequenceBytes; }
  uint8_t* CopyBuffer() { return memory.get() + kSequenceBytes + kPatternStoreBytes; }

  // Cell of pattern p, channel c, row r; arguments are reduced into range.
  uint8_t* Cell(int pattern, int channel, int row) {
    return PatternStore() + CellOffset(pattern, channel, row);
  }
  const uint8_t* Cell(int pattern, int channel, int row) const {
    return memory.get() + kSequenceBytes + CellOffset(pattern, channel, row);
  }
  void ClearPattern(int pattern);

  // Sequence accessors; every position is reduced to its low 12 bits.
  uint32_t GetPattern(int position) const;
  void SetPattern(int position, uint32_t pattern);
  uint32_t GetModeWord(int position) const;
  void SetModeWord(int position, uint32_t modes);
  int GetChannelMode(int position, int channel) const;
  void SetChannelMode(int position, int channel, int mode);

  // start <= repeat <= end afterwards, each within 0-4095.
  void NormaliseRange();

  // Values outside kChannelCountRange are refused and leave the count
  // unchanged.
  bool SetChannelCount(int count);

  // Block i belongs to instrument number i + 1; arguments reduced mod 128.
  int16_t* Instrument(int block) { return instruments[block & 0x7F]; }
  const int16_t* Instrument(int block) const { return instruments[block & 0x7F]; }
  int16_t* InstrumentTable() { return &instruments[0][0]; }
  const int16_t* InstrumentTable() const { return &instruments[0][0]; }

  // Heard: on and nobody soloed, or the soloed channel itself.
  bool IsActive(int channel) const {
    return (mixer.on[channel] == 1 && mixer.solo == -1) || mixer.solo == channel;
  }

  // The song reset of the tables held here. Instrument blocks get words 0-63
  // zeroed; filling them with generator defaults is the caller's part.
  void Reset(const cSongDefaults& defaults);

  // Every table and value of other, copied into this song's own memory (so
  // that whoever holds a pointer into it keeps it): a song loaded aside
  // becomes this one.
  void CopyFrom(const cSongTables& other);

  // Song settings, all signed 32-bit as stored.
  // Each within its range above.
  int32_t channelCount = 4;
  int32_t masterVolume = 120;  // percent
  int32_t masterPan = 0;       // in steps of 5
  int32_t bpm = 126;
  int32_t speed = 6;  // ticks per row
  int32_t start = 0, end = 0, repeat = 0;
  int32_t channelVolume[kChannels];  // percent

  // Channel mixer state, not saved.
  cMixerFlags mixer;
  int32_t noteVolume[kChannels];  // 0-127

  // Edit state, not saved.
  int32_t currentInstrument = 1;  // 1-127
  int32_t octave = 3;             // 0-9
  int32_t rowAdd = 1;             // 0-16

 private:
  static size_t CellOffset(int pattern, int channel, int row) {
    return size_t(pattern & 0xFF) * kPatternBytes + size_t(channel & 0x0F) * kChannelBytes +
           size_t(row & 0x3F) * kCellBytes;
  }
  uint32_t* Entry(int position) {
    return reinterpret_cast<uint32_t*>(Sequence()) + 2 * (position & 0xFFF);
  }
  const uint32_t* Entry(int position) const {
    return reinterpret_cast<const uint32_t*>(memory.get()) + 2 * (position & 0xFFF);
  }

  std::unique_ptr<uint8_t[]> memory;
  int16_t instruments[kInstruments][kInstrumentWords];
};
