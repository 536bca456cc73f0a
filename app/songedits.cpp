#include "app/songedits.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "app/tracker.h"

namespace {

bool SameWords(const int16_t* a, const int16_t* b) {
  return std::memcmp(a, b, sizeof(int16_t) * kInstrumentWords) == 0;
}

bool SameSlot(const cWaveSlot& a, const cWaveSlot& b) {
  return a.buffer == b.buffer && a.entry.length == b.entry.length &&
         a.entry.flags == b.entry.flags && a.entry.loopStart == b.entry.loopStart &&
         a.entry.loopEnd == b.entry.loopEnd &&
         std::memcmp(a.entry.name, b.entry.name, kWaveNameBytes) == 0;
}

}  // namespace

cSongEdits::cSongEdits(cTracker& t)
    : tracker(t),
      patternBefore(new cCell[kChannels * kRows]),
      patternAfter(new cCell[kChannels * kRows]),
      sequenceBefore(new uint8_t[kSequenceBytes]),
      sequenceAfter(new uint8_t[kSequenceBytes]) {}

cSongEdits::~cSongEdits() = default;

std::recursive_mutex& cSongEdits::Lock() { return tracker.engineLock; }
cSongTables& cSongEdits::SongTables() { return *tracker.song; }

void cSongEdits::SetCursor(int32_t channel, int32_t row) {
  cursorChannel = channel;
  cursorRow = row;
}

cEditLocation cSongEdits::Here() {
  return cEditLocation{tracker.player->position & 0xFFF, cursorChannel, cursorRow};
}

void cSongEdits::Record(const char* what, const cEditLocation& where, cEditDelta&& delta,
                        uint32_t mergeKey) {
  cEditStep step;
  step.name = what;
  step.where = where;
  step.mergeKey = mergeKey;
  step.deltas.push_back(std::move(delta));
  history.Push(std::move(step));
  HistoryChanged();
}

void cSongEdits::Clear() {
  history.Clear();
  HistoryChanged();
}

void cSongEdits::MarkSaved() {
  history.MarkSaved();
  HistoryChanged();
}

void cSongEdits::MarkUnsaved() {
  history.MarkUnsaved();
  HistoryChanged();
}

// Patterns and the sequence.

void cSongEdits::CopyPattern(int32_t pattern, cCell* dest) {
  std::copy_n(tracker.song->Pattern(pattern), kChannels * kRows, dest);
}

cPatternDelta cSongEdits::DiffPattern(int32_t pattern) const {
  cPatternDelta delta;
  delta.pattern = pattern & 0xFF;
  for (int cell = 0; cell < kChannels * kRows; ++cell) {
    const cCell& before = patternBefore[size_t(cell)];
    const cCell& after = patternAfter[size_t(cell)];
    if (before != after) delta.cells.push_back(cCellChange{uint16_t(cell), before, after});
  }
  return delta;
}

void cSongEdits::CaptureSequence(uint8_t* entries, cSequenceRange* range) {
  const cSongTables& song = *tracker.song;
  std::memcpy(entries, tracker.song->Sequence(), kSequenceBytes);
  *range = cSequenceRange{song.start, song.repeat, song.end};
}

void cSongEdits::FollowSequence() {
  cPlayer& player = *tracker.player;
  player.modeWord = tracker.song->GetModeWord(player.position);
}

cSequenceDelta cSongEdits::DiffSequence(const cSequenceRange& before,
                                        const cSequenceRange& after) const {
  cSequenceDelta delta;
  delta.before = before;
  delta.after = after;
  for (int p = 0; p < kPositions; ++p) {
    const uint8_t* b = sequenceBefore.get() + size_t(p) * 8;
    const uint8_t* a = sequenceAfter.get() + size_t(p) * 8;
    if (std::memcmp(b, a, 8) == 0) continue;
    cEntryChange change;
    change.position = uint16_t(p);
    std::memcpy(change.before, b, 8);
    std::memcpy(change.after, a, 8);
    delta.entries.push_back(change);
  }
  return delta;
}

// Song settings.

cSongSettings cSongEdits::ReadSettings() {
  const cSongTables& song = *tracker.song;
  cSongSettings s;
  s.channelCount = song.channelCount;
  s.masterVolume = song.masterVolume;
  s.masterPan = song.masterPan;
  s.bpm = song.bpm;
  s.speed = song.speed;
  std::copy(std::begin(song.channelVolume), std::end(song.channelVolume), s.channelVolume);
  return s;
}

// The tempo in use follows the song's only where the song's changed: an
// effect command's tempo stays when another setting is undone.
void cSongEdits::WriteSettings(const cSongSettings& s) {
  cSongTables& song = *tracker.song;
  cPlayer& player = *tracker.player;
  song.SetChannelCount(s.channelCount);
  song.masterVolume = s.masterVolume;
  song.masterPan = s.masterPan;
  if (song.bpm != s.bpm) {
    song.bpm = s.bpm;
    if (player.playing) player.SetBPM(s.bpm);
  }
  if (song.speed != s.speed) {
    song.speed = s.speed;
    if (player.playing) player.SetSpeed(s.speed);
  }
  std::copy(std::begin(s.channelVolume), std::end(s.channelVolume), song.channelVolume);
}

bool cSongEdits::EditSettings(const char* what, uint32_t mergeKey, auto&& change) {
  cSettingsDelta delta;
  cEditLocation where;
  {
    cLock lock(Lock(), *this);
    delta.before = ReadSettings();
    cSongSettings changed = delta.before;
    change(changed);
    if (changed == delta.before) return false;
    where = Here();
    WriteSettings(changed);
    delta.after = ReadSettings();
  }
  Record(what, where, std::move(delta), mergeKey);
  return true;
}

bool cSongEdits::SetChannelCount(int32_t count) {
  if (!kChannelCountRange.Holds(count)) return false;
  return EditSettings("Channel Count", 0, [&](cSongSettings& s) { s.channelCount = count; });
}

bool cSongEdits::SetBpm(int32_t bpm, uint32_t mergeKey) {
  return EditSettings("BPM", mergeKey, [&](cSongSettings& s) { s.bpm = kBpmRange.Clamp(bpm); });
}

bool cSongEdits::SetSpeed(int32_t speed, uint32_t mergeKey) {
  return EditSettings("Speed", mergeKey,
                      [&](cSongSettings& s) { s.speed = kSpeedRange.Clamp(speed); });
}

bool cSongEdits::SetMasterVolume(int32_t volume, uint32_t mergeKey) {
  return EditSettings("Master Volume", mergeKey,
                      [&](cSongSettings& s) { s.masterVolume = kMasterVolumeRange.Clamp(volume); });
}

bool cSongEdits::SetMasterPan(int32_t pan, uint32_t mergeKey) {
  return EditSettings("Master Pan", mergeKey,
                      [&](cSongSettings& s) { s.masterPan = kMasterPanRange.Clamp(pan); });
}

bool cSongEdits::SetChannelVolume(int32_t channel, int32_t volume, uint32_t mergeKey) {
  if (channel < 0 || channel >= kChannels) return false;
  return EditSettings("Channel Volume", mergeKey, [&](cSongSettings& s) {
    s.channelVolume[channel] = kChannelVolumeRange.Clamp(volume);
  });
}

// Instruments.

bool cSongEdits::EditInstrument(const char* what, int32_t block, uint32_t mergeKey, auto&& change) {
  if (block < 0 || block >= kInstruments) return false;
  cInstrumentDelta delta;
  delta.block = block;
  cEditLocation where;
  {
    cLock lock(Lock(), *this);
    where = Here();
    const int16_t* words = tracker.song->Instrument(block);
    std::copy(words, words + kInstrumentWords, delta.before);
    change();
    std::copy(words, words + kInstrumentWords, delta.after);
  }
  if (SameWords(delta.before, delta.after)) return false;
  Record(what, where, std::move(delta), mergeKey);
  return true;
}

bool cSongEdits::SetInstrumentWord(const char* what, int32_t block, int32_t word, int16_t value,
                                   uint32_t mergeKey) {
  if (word < 0 || word >= kInstrumentWords) return false;
  return EditInstrument(what, block, mergeKey, [&] {
    tracker.instruments->SetParam(tracker.editedChannel, block, word, value);
  });
}

bool cSongEdits::SetInstrumentWords(const char* what, int32_t block, int32_t word, int16_t value) {
  if (word < 0 || word >= kInstrumentWords) return false;
  return EditInstrument(what, block, 0, [&] {
    tracker.instruments->SetParams(tracker.editedChannel, block, word, value);
  });
}

// The defaults make channel 0 play the new engine; the edited channel, which
// the editor's writes address, follows the block as well.
bool cSongEdits::ChangeEngine(int32_t block, int32_t engine, int32_t samplerLayer) {
  if (engine < 0 || engine >= kGenKinds) return false;
  return EditInstrument("Engine", block, 0, [&] {
    cInstrumentAccess& access = *tracker.instruments;
    access.SetParam(tracker.editedChannel, block, kParamGenType, int16_t(engine));
    access.DefaultParams(block);
    if (engine == kGenSampler && samplerLayer >= 0 && samplerLayer < kWaveSlots)
      tracker.song->Instrument(block)[2] = int16_t(samplerLayer);
    access.FilterParams(tracker.editedChannel, tracker.song->Instrument(block));
  });
}

bool cSongEdits::PutInstrument(const char* what, int32_t block, const int16_t* words) {
  return EditInstrument(what, block, 0, [&] {
    int16_t* params = tracker.song->Instrument(block);
    std::copy(words, words + kInstrumentWords, params);
    if (cGenerator* kind = tracker.generators->Generator(params[kParamGenType], 0))
      kind->FilterParams(params);
  });
}

// Samples.

// A replaced or emptied slot must not be heard half-way: the mix buffers
// are cleared and every sampler voice stops first. Engine lock held.
void cSongEdits::StopSamplers() {
  tracker.renderer->ClearBuffers();
  tracker.generators->ResetSamplers();
}

bool cSongEdits::EditSample(const char* what, int32_t slot, uint32_t mergeKey, auto&& change) {
  if (slot < 0 || slot >= kWaveSlots) return false;
  cWaveDelta delta;
  delta.slot = slot;
  cEditLocation where;
  {
    cLock lock(Lock(), *this);
    where = Here();
    delta.before = tracker.waves->GetSlot(slot);
    if (!change()) return false;
    delta.after = tracker.waves->GetSlot(slot);
  }
  // The replaced sound is freed here, outside the lock, if no step keeps it.
  if (SameSlot(delta.before, delta.after)) return false;
  Record(what, where, std::move(delta), mergeKey);
  return true;
}

bool cSongEdits::PutSample(const char* what, int32_t slot, const cWaveSlot& sound) {
  return EditSample(what, slot, 0, [&] {
    StopSamplers();
    tracker.waves->PutSlot(slot, sound);
    return true;
  });
}

bool cSongEdits::DeleteSample(int32_t slot) {
  return EditSample("Delete Sample", slot, 0, [&] {
    if (!tracker.waves->InUse(slot)) return false;
    StopSamplers();
    tracker.waves->ClearSlot(slot);
    return true;
  });
}

bool cSongEdits::SetLoop(int32_t slot, int32_t loopStart, int32_t loopEnd, uint32_t mergeKey) {
  return EditSample("Loop Points", slot, mergeKey,
                    [&] { return tracker.waves->SetLoop(slot, loopStart, loopEnd); });
}

bool cSongEdits::SetLoopMode(int32_t slot, uint32_t mode) {
  return EditSample("Loop Mode", slot, 0, [&] { return tracker.waves->SetLoopMode(slot, mode); });
}

// Effects.

cEffectState cSongEdits::ReadEffect(int32_t chain, int32_t slot) {
  cEffectState state;
  const cFxChains& fx = *tracker.effects;
  state.type = fx.type[slot & 3][chain];
  if (cEffect* effect = fx.Object(slot, chain)) {
    state.count = std::clamp(effect->GetNumParams(), 0, kMaxEffectParams);
    for (int32_t i = 0; i < state.count; ++i) state.params[i] = effect->GetParam(i);
  }
  return state;
}

void cSongEdits::WriteEffectParams(int32_t chain, int32_t slot, const cEffectState& state) {
  cEffect* effect = tracker.effects->Object(slot, chain);
  if (!effect) return;
  for (int32_t i = 0; i < state.count; ++i) {
    if (effect->GetParam(i) != state.params[i]) effect->SetParam(i, state.params[i]);
  }
}

// Effects are switched off around the swap and the time slice given up on
// each side, so that the audio thread finishes a block without effects
// before and after the slot changes. The effect is built before the engine
// lock and the old one freed after it: both take milliseconds.
bool cSongEdits::ChangeEffectType(int32_t chain, int32_t slot, int32_t type) {
  if (chain < 0 || chain >= kFxChains || slot < 0 || slot >= kFxSlots || type < 0 ||
      type >= kFxTypeCount) {
    return false;
  }
  if (tracker.effects->type[slot][chain] == uint32_t(type)) return false;
  std::unique_ptr<cEffect> effect =
      type != 0 ? tracker.effects->factory.NewFxModule(type) : nullptr;
  cEffectDelta delta;
  delta.chain = chain;
  delta.slot = slot;
  cEditLocation where;
  tracker.SetFxEngine(0);
  std::this_thread::yield();
  {
    cLock lock(Lock(), *this);
    where = Here();
    delta.before = ReadEffect(chain, slot);
    tracker.effects->type[slot][chain] = uint32_t(type);
    tracker.effects->object[slot][chain].swap(effect);
    delta.after = ReadEffect(chain, slot);
  }
  std::this_thread::yield();
  tracker.SetFxEngine(1);
  std::this_thread::yield();
  effect.reset();  // the old effect, outside the lock
  Record("Effect Type", where, std::move(delta), 0);
  return true;
}

bool cSongEdits::EditEffectParams(const char* what, int32_t chain, int32_t slot, uint32_t mergeKey,
                                  auto&& change) {
  if (chain < 0 || chain >= kFxChains || slot < 0 || slot >= kFxSlots) return false;
  cEffectDelta delta;
  delta.chain = chain;
  delta.slot = slot;
  cEditLocation where;
  {
    cLock lock(Lock(), *this);
    cEffect* effect = tracker.effects->Object(slot, chain);
    if (!effect) return false;
    where = Here();
    delta.before = ReadEffect(chain, slot);
    change(*effect);
    delta.after = ReadEffect(chain, slot);
  }
  if (delta.before == delta.after) return false;
  Record(what, where, std::move(delta), mergeKey);
  return true;
}

bool cSongEdits::SetEffectParam(const char* what, int32_t chain, int32_t slot, int32_t index,
                                int32_t value, uint32_t mergeKey) {
  return EditEffectParams(what, chain, slot, mergeKey,
                          [&](cEffect& effect) { effect.SetParam(index, value); });
}

bool cSongEdits::LoadEffectPreset(int32_t chain, int32_t slot, int32_t preset) {
  return EditEffectParams("Effect Preset", chain, slot, 0, [&](cEffect& effect) {
    effect.Reset(false);
    effect.LoadPreset(preset);
  });
}

bool cSongEdits::SetSend(int32_t channel, int32_t bus, int32_t level, uint32_t mergeKey) {
  if (channel < 0 || channel >= kChannels || bus < 0 || bus >= kAuxBuses) return false;
  cSendsDelta delta;
  cEditLocation where;
  {
    cLock lock(Lock(), *this);
    where = Here();
    std::memcpy(delta.before.level, tracker.effects->send, sizeof delta.before.level);
    tracker.effects->SetSend(channel, bus, level);
    std::memcpy(delta.after.level, tracker.effects->send, sizeof delta.after.level);
  }
  if (delta.before == delta.after) return false;
  Record("Send Level", where, std::move(delta), mergeKey);
  return true;
}

// Undo and redo.

bool cSongEdits::Undo(cEditLocation* where) {
  const cEditStep* step = history.UndoStep();
  if (!step || !Apply(*step, true, where)) return false;
  history.Undone();
  HistoryChanged();
  return true;
}

bool cSongEdits::Redo(cEditLocation* where) {
  const cEditStep* step = history.RedoStep();
  if (!step || !Apply(*step, false, where)) return false;
  history.Redone();
  HistoryChanged();
  return true;
}

// Engine lock held. Each delta puts its before (backwards) or after values;
// an effect whose type changes takes the object built for it, and hands
// back the one it displaces.
void cSongEdits::ApplyLocked(const cEditDelta& d, bool backwards, std::unique_ptr<cEffect>* built,
                             std::unique_ptr<cEffect>* displaced) {
  cSongTables& song = *tracker.song;
  if (auto* p = std::get_if<cPatternDelta>(&d)) {
    cCell* cells = song.Pattern(p->pattern);
    for (const cCellChange& c : p->cells) cells[c.cell] = backwards ? c.before : c.after;
  } else if (auto* s = std::get_if<cSequenceDelta>(&d)) {
    uint32_t* entries = reinterpret_cast<uint32_t*>(song.Sequence());
    for (const cEntryChange& e : s->entries)
      std::memcpy(entries + 2 * size_t(e.position), backwards ? e.before : e.after, 8);
    const cSequenceRange& range = backwards ? s->before : s->after;
    song.start = range.start;
    song.repeat = range.repeat;
    song.end = range.end;
    FollowSequence();
  } else if (auto* g = std::get_if<cSettingsDelta>(&d)) {
    WriteSettings(backwards ? g->before : g->after);
  } else if (auto* i = std::get_if<cInstrumentDelta>(&d)) {
    const int16_t* target = backwards ? i->before : i->after;
    int16_t* words = song.Instrument(i->block);
    cInstrumentAccess& access = *tracker.instruments;
    const int32_t channel = tracker.editedChannel;
    if (words[kParamGenType] != target[kParamGenType]) {
      // Another engine: the channel's generators restart on the block.
      std::copy(target, target + kInstrumentWords, words);
      access.SetParams(channel, i->block, kParamGenType, target[kParamGenType]);
    } else {
      for (int32_t w = 0; w < kInstrumentWords; ++w) {
        if (words[w] != target[w]) access.SetParam(channel, i->block, w, target[w]);
      }
    }
    // The block holds exactly what it held, whatever a generator's filter
    // would make of it.
    std::copy(target, target + kInstrumentWords, words);
  } else if (auto* e = std::get_if<cEffectDelta>(&d)) {
    const cEffectState& target = backwards ? e->before : e->after;
    cFxChains& fx = *tracker.effects;
    if (fx.type[e->slot][e->chain] != target.type) {
      fx.type[e->slot][e->chain] = target.type;
      fx.object[e->slot][e->chain].swap(*built);
      displaced->swap(*built);
    }
    WriteEffectParams(e->chain, e->slot, target);
  } else if (auto* n = std::get_if<cSendsDelta>(&d)) {
    std::memcpy(tracker.effects->send, (backwards ? n->before : n->after).level,
                sizeof n->before.level);
  } else if (auto* w = std::get_if<cWaveDelta>(&d)) {
    const cWaveSlot& target = backwards ? w->before : w->after;
    if (tracker.waves->GetSlot(w->slot).buffer != target.buffer) StopSamplers();
    tracker.waves->PutSlot(w->slot, target);
  }
}

bool cSongEdits::Apply(const cEditStep& step, bool backwards, cEditLocation* where) {
  const size_t count = step.deltas.size();
  // Effects that change type are built before the lock; what they displace
  // is freed after it. Both arrays are made here, outside the lock.
  std::vector<std::unique_ptr<cEffect>> built(count), displaced(count);
  bool typeChange = false;
  for (size_t k = 0; k < count; ++k) {
    const auto* e = std::get_if<cEffectDelta>(&step.deltas[k]);
    if (!e) continue;
    const cEffectState& target = backwards ? e->before : e->after;
    if (tracker.effects->type[e->slot][e->chain] == target.type) continue;
    typeChange = true;
    if (target.type != 0) built[k] = tracker.effects->factory.NewFxModule(int32_t(target.type));
  }
  if (typeChange) {
    tracker.SetFxEngine(0);
    std::this_thread::yield();
  }
  {
    cLock lock(Lock(), *this);
    for (size_t n = 0; n < count; ++n) {
      const size_t k = backwards ? count - 1 - n : n;
      ApplyLocked(step.deltas[k], backwards, &built[k], &displaced[k]);
    }
    cPlayer& player = *tracker.player;
    if (!player.playing) {
      player.position = step.where.position & 0xFFF;
      player.LoadPosition();
    }
  }
  if (typeChange) {
    std::this_thread::yield();
    tracker.SetFxEngine(1);
  }
  if (where) *where = step.where;
  return true;
}
