#pragma once
// The controller without windows. It owns every table and engine object, the
// engine lock and the load meters, and offers the controller operations.
// It composes and locks; the algorithms live in the engine folders.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/livenotes.h"
#include "app/songedits.h"
#include "audio/cpuspd.h"
#include "audio/output.h"
#include "engine/genmanager.h"
#include "engine/renderpath.h"
#include "engine/wavestore.h"
#include "engine/wavetables.h"
#include "fx/fxchains.h"
#include "midi/midiinput.h"
#include "sequencer/instrumentaccess.h"
#include "sequencer/player.h"
#include "song/fileresult.h"
#include "song/songtables.h"

class cSongSnapshot;
class cSongStage;

// The configuration as the controller uses it: a rate outside 8000-192000 Hz
// is replaced by 44100 and error describes it; the latency is rounded as the
// output rounds it and kept to at most kMaxLatencyMs; a new song's channel
// count (4 when out of range), master volume, master pan, BPM and speed are
// held to their ranges.
constexpr int32_t kMaxLatencyMs = 10000;
cConfig UsableConfig(const cConfig& given, std::string* error);

// What start-up shows while it builds the engine: three lines, each written
// when its step begins and again when it is done. The pauses let a reader
// follow; a program without a window skips them.
class cStartupReport {
 public:
  virtual ~cStartupReport() = default;
  virtual void ShowLine(int line, const std::string& text) = 0;
  virtual void Pause(int milliseconds) { (void)milliseconds; }
};

// The player's state at one moment, for display and the editors' rules.
struct cPlayerState {
  int32_t playing = 0;
  int32_t editMode = 0;
  int32_t position = 0;
  int32_t pattern = 0;
  uint32_t modeWord = 0;
  int32_t row = 0;  // -1 right after a jump: the next row played is 0
  int32_t currentBpm = 126;
  int32_t currentSpeed = 6;
  int32_t timer1Running = 0;
  int32_t timer1Interval = 40;  // ms
};

// The meters and counts the status area shows.
struct cLoadState {
  float mixLoad = 0;
  float renderLoad = 0;
  int32_t voices = 0;
};

class cTracker : private cTickSource {
 public:
  // Allocates every table and engine object. With cpuCalc set the processor
  // clock is measured first (1.5 s). The report, when given, sees each step
  // as it begins; after a failure it sees no further step, and SystemStart
  // reports the failure.
  explicit cTracker(const cConfig& config, cStartupReport* report = nullptr);
  ~cTracker() override;

  cTracker(const cTracker&) = delete;
  cTracker& operator=(const cTracker&) = delete;

  // The engine side of start-up: reports what construction could not
  // prepare, initialises the channels, makes a new song with instrument 4 a
  // sampler, and with withAudio starts the audio output on the configured
  // device. False after ErrorExit.
  bool SystemStart(bool withAudio);
  // The audio start sequence on the configured device; false after ErrorExit.
  bool StartAudio();
  // The audio stop sequence; never call it holding the engine lock.
  void StopAudio();
  // Stops the output and starts it on another device (as the settings name
  // devices) while the song plays on. False, with why, when that device
  // fails: the previous one plays again.
  bool ChangeDevice(const std::string& name, std::string* why);
  // The device the output plays on.
  const std::string& DeviceName() const { return deviceName; }
  cAudioOutput* Output() { return output.get(); }
  // Set when "default" fell back to playing silently.
  const std::string& DeviceWarning() const { return deviceWarning; }
  // Around file work: rendering off, panic, stop, engine off; and back.
  void PauseEngine();
  void ResumeEngine();
  // Closes the output, makes a new song and starts the output again.
  void EngineRestart();
  // Mutes, pauses and closes the output; the destructor frees the rest.
  void Shutdown();

  // MIDI in (trackermidi.cpp): listens as the MIDI Input setting says
  // (none, all, a port name); every note the previous input started stops.
  // Returns the line for the message label, empty when all is well.
  std::string OpenMidiInput(const std::string& setting);
  // MIDI events for the window, and the engine's side of them.
  cLiveNotes& LiveNotes() { return *liveNotes; }

  // The render callback installed into the audio output: one block, flag 1
  // on the last block of a half. Returns the output cursor after the block.
  int16_t* RenderCallback(int32_t flag);

  // File commands; 1 on success, 0 on failure, and why, when given, says
  // what happened. A load that fails for any reason, running out of memory
  // too, leaves the current song as it was. A song or module that ends
  // early or is damaged loads as far as it goes: 1, and why says so.
  void NewModule();  // the song reset, then silence
  // A save replacing a file keeps the old one as NAME.bak; the song is
  // copied under the lock and written after it.
  int SaveModule(const std::string& path, cFileResult* why = nullptr);
  int LoadModule(const std::string& path, cFileResult* why = nullptr);
  int LoadModuleMOD(const std::string& path, cFileResult* why = nullptr);
  // The song as a song file in memory, and loading one: an export's second
  // engine takes the song this way.
  std::vector<uint8_t> SongImage();
  int LoadModuleImage(std::vector<uint8_t> image, cFileResult* why = nullptr);
  int SaveSynth(const std::string& path, int32_t block, cFileResult* why = nullptr);
  int LoadSynth(const std::string& path, int32_t block, cFileResult* why = nullptr);
  int SaveFMSynth(const std::string& path, int32_t block, cFileResult* why = nullptr);
  int LoadFMSynth(const std::string& path, int32_t block, cFileResult* why = nullptr);

  void SetEngine(int32_t on);
  void SetFxEngine(int32_t on);
  void ClearBuffers();

  // Effect slots (engine lock taken here).
  int32_t GetSend(int channel, int aux);
  int32_t x2ms(int32_t n);
  // ApplyParams on every effect: stored parameters take effect again.
  void ApplyAllFx();
  // Resets every voice, clears every effect when clearEffects is set, then
  // zeroes the mix buffers.
  void SilenceAll(bool clearEffects);

  // Fatal stop: shows the text (through the handler) and ends the program.
  // Safe to reach from the audio thread: it never waits for that thread.
  void ErrorExit(const std::string& message);
  void SetFatalHandler(std::function<void(const std::string&)> handler) {
    fatalHandler = std::move(handler);
  }

  // Tests: what runs at each tick in place of the player, and its length.
  // An empty hook gives the ticks back to the player.
  void SetTickHook(std::function<void()> hook, int32_t framesPerTick) {
    tickHook = std::move(hook);
    hookSamplesPerTick = framesPerTick;
  }

  // Transport: 0 stop, 1 play, 2 continue, 3 play pattern, 4 edit mode.
  void TransportCommand(int32_t command);
  void SetSpeed(int32_t speed);
  void SetBPM(int32_t bpm);
  void ResetPosition(bool toStart);
  // Silences every generator, and with withEffects every effect's memory.
  void Panic(int32_t withEffects = 1);
  int32_t Timer1Interval();

  // Instrument parameter access. Blocks are 0-127; instrument numbers 1-128.
  // Writes go through Edits().
  const int16_t* GetParams(int32_t block) const { return instruments->GetParams(block); }
  int16_t GetParam(int32_t block, int32_t word) const { return instruments->GetParam(block, word); }
  int32_t GetInsType(int32_t instrument);
  int32_t GetInstrument();
  // 1-127; anything else changes nothing.
  void SetInstrument(int32_t instrument);

  // The channel under the pattern cursor, whose generators the instrument
  // operations address; always 0-15.
  void SetEditedChannel(int32_t channel);
  int32_t EditedChannel() const { return editedChannel; }

  // The instrument editor, when it exists: load is told the block it now
  // edits (under the engine lock), refresh runs after the lock is released.
  void SetInstrumentEditor(std::function<void(int32_t block, const int16_t* params)> load,
                           std::function<void()> refresh) {
    editorLoad = std::move(load);
    editorRefresh = std::move(refresh);
  }
  // Told the new current instrument (1-127) after the editor's refresh,
  // however it was chosen (the Instr field, a key, MIDI, a preset load).
  void SetInstrumentFollower(std::function<void(int32_t instrument)> follower) {
    instrumentFollower = std::move(follower);
  }

  // The song as its file holds it, into a snapshot: window thread, which
  // sizes it first, then holds the engine lock only for the copy. Returns
  // how long the lock was held. Allocates nothing under the lock for a
  // snapshot taken before of the same song; the waves are shared.
  std::chrono::nanoseconds TakeSnapshot(cSongSnapshot& into);

  // Every change of the song goes through the edit path.
  cSongEdits& Edits() { return *edits; }
  // The song differs from what was last saved or loaded.
  bool Modified() const { return edits->Modified(); }

  // Reads for the window thread, which alone changes the song data (through
  // Edits()), so it may read it without the lock: patterns, sequence, range,
  // settings, instruments, effect types, sends, and the wave store (whose
  // reads lock for themselves). What the audio thread changes is read
  // through the snapshots below.
  const cConfig& Config() const { return config; }
  const cSongTables& Song() const { return *song; }
  const cFxChains& Effects() const { return *effects; }
  const cWavManager& Waves() const { return *waves; }
  const cWavetables& Wavetables() const { return *wavetables; }
  cPlayerState PlayerState();
  cLoadState LoadState();
  // The mix's running count of samples put out at full scale (wrapping);
  // read without the lock.
  uint32_t ClippedSamples() const { return renderer->ClippedSamples(); }
  // What the audio thread changes, read under the engine lock: read(view)
  // sees the player, the render path and the generators, read-only. Keep it
  // short and allocate nothing in it: the audio thread waits meanwhile.
  struct cEngineView {
    const cPlayer& player;
    const cRenderPath& renderer;
    const cSongTables& song;
  };
  template <class Read>
  auto ReadEngine(Read&& read) {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    return read(cEngineView{*player, *renderer, *song});
  }
  // The effect in a slot (null for an empty one), read under the lock: an
  // effect command may change a parameter while the song plays.
  template <class Read>
  auto ReadEffect(int chain, int slot, Read&& read) {
    std::lock_guard<std::recursive_mutex> lock(engineLock);
    return read(effects->GetFxObjPtr(slot, chain));
  }
  // The instrument editor's text for a word's value, from the edited
  // channel's generator.
  std::string FormatParam(int32_t word, int16_t value);
  // The words an instrument of the engine (0-2) starts with, into block
  // (128 words; the words the engine does not set are left alone).
  void GetDefaults(int32_t engine, int16_t* block);
  // Mute and solo: not song data, not saved, no undo.
  void SetMixerFlags(const cMixerFlags& flags);

  // The edit state (not song data): octave 0-9, row advance 0-32.
  void SetOctave(int32_t octave);
  void SetRowAdd(int32_t rows);

  // The song position (the sequence entry played and shown) moves.
  enum class eSongJump {
    kPositionOnly,  // the pattern playing plays on; the next one follows
    kLoadEntry,     // the entry's pattern and modes are taken at once
    kRestartEntry,  // and its first row is the next one played, notes cut
  };
  void SetSongPosition(int32_t position, eSongJump how = eSongJump::kLoadEntry);
  // The display-follow interval in ms, as the window's timer runs it.
  void SetTimer1Interval(int32_t interval);

  // Note preview on a channel (0-15): the note (1-108) sounds with the
  // instrument (1-128) as a row would start it; or the channel's note is
  // released. PreviewNote gives the channel's count of started notes with
  // the preview's note in it.
  uint32_t PreviewNote(int32_t channel, int32_t note, int32_t instrument);
  void ReleasePreview(int32_t channel);
  // Releases the channel when no note has started there since the preview
  // that PreviewNote answered `started` (neither a row, nor a MIDI key, nor
  // another preview); false when one has, and the channel is left alone.
  bool ReleasePreviewIfLast(int32_t channel, uint32_t started);
  // A typed note starts the channel's effects afresh, as a row does.
  void RestartChannelEffects(int32_t channel);
  // The channel's generators stop (before an instrument's engine changes).
  void ResetChannel(int32_t channel);

  // Load meters: the mixing and render meters of the render path, then two
  // for the status timers. They share one disabled flag.
  cpuSPD& MixMeter() { return *meters[0]; }
  cpuSPD& RenderMeter() { return *meters[1]; }
  cpuSPD& StatusMeter(int i) { return *meters[2 + (i & 1)]; }
  uint32_t CpuMhz() const { return meters[0]->Mhz(); }

 private:
  friend class cSongEdits;
  friend struct cTrackerInside;

  // The song reset: every table back to the state of a new song.
  void ResetSong();
  // Effect slots and sends; the edit path and the file commands change them.
  std::unique_ptr<cEffect> NewFxModule(int32_t type);
  void ChangeFxModule(int chain, int slot, int32_t type);
  void AllocateFxModules();
  void DestroyFxModules();
  cEffect* GetFxObjPtr(int slot, int chain);
  void SetSend(int channel, int aux, int32_t level);
  // Instrument writes, with the edited channel's generator in step.
  void SetParam(int32_t block, int32_t word, int16_t value);
  void SetParams(int32_t block, int32_t word, int16_t value);
  void FilterParams(int16_t* params);
  void DefaultParams(int32_t block);

  void ProcessTick() override;
  // Makes, opens and starts the output on a device: how far it got.
  enum class eOutputStep { kOpen, kStart, kPlaying };
  eOutputStep OpenOutput(const std::string& name, int32_t* code = nullptr);
  // After New, Load, Import and the engine restart: the song position, the
  // pattern and the first row are those of entry 0.
  void StartAtFirstEntry();
  cSongDefaults SongDefaults() const;
  void FilterLoadedInstruments();
  // Runs load on a stage of its own and, when it returned 1, makes the
  // stage's song the one in memory.
  int LoadAside(cFileResult* why, const std::function<int(cSongStage&, cFileResult*)>& load);
  void FillInstrumentDefaults();
  // A copy of an instrument block, taken under the lock.
  void CopyInstrument(int32_t block, int16_t* words);
  int32_t SamplesPerTick() const override;

  std::string startupError;  // before config: the constructor fills both
  const cConfig config;
  int32_t metersDisabled;
  std::unique_ptr<cpuSPD> meters[4];
  std::recursive_mutex engineLock;
  std::unique_ptr<cSongTables> song;
  std::unique_ptr<cFxChains> effects;
  // Declared before the generators, which read it until they are gone.
  std::shared_ptr<const cWavetables> wavetables;
  std::unique_ptr<cWavManager> waves;
  std::unique_ptr<cGenManager> generators;
  std::unique_ptr<cRenderPath> renderer;
  std::unique_ptr<int16_t[]> handoff;  // the last finished half, for the output thread
  std::unique_ptr<cPlayer> player;
  std::unique_ptr<cInstrumentAccess> instruments;
  std::unique_ptr<cSongEdits> edits;
  // Written by the window thread, read by the audio thread for MIDI notes.
  std::atomic<int32_t> editedChannel{0};

  std::function<void()> tickHook;
  int32_t hookSamplesPerTick = 882;
  std::function<void(int32_t, const int16_t*)> editorLoad;
  std::function<void()> editorRefresh;
  std::function<void(int32_t)> instrumentFollower;
  std::function<void(const std::string&)> fatalHandler;
  std::string deviceWarning;
  std::string deviceName = config.device;  // window thread
  std::unique_ptr<cLiveNotes> liveNotes = std::make_unique<cLiveNotes>();
  std::unique_ptr<cMidiInput> midiInput;  // closed before the notes it feeds
  // Last, so that it is closed first: its thread calls into everything above.
  std::unique_ptr<cAudioOutput> output;
};
