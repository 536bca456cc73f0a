// How long edits, undo and redo hold the engine lock while the demo plays
// on the null device: the audio thread waits that long for its next block.
//   edit_lock [--rounds N]
// Prints, for each kind of edit, the median and the longest hold of the
// edit itself, its undo and its redo over N rounds (default 200).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/tracker.h"
#include "editor/blockops.h"
#include "lockbench.h"
#include "support/rampwav.h"

namespace {

struct cKind {
  const char* name;
  std::function<void(int round)> edit;
};

double Micros(std::chrono::nanoseconds n) { return double(n.count()) / 1000.0; }

}  // namespace

int main(int argc, char** argv) {
  const int rounds = RoundsOption(argc, argv, "edit_lock", 200);
  if (rounds == 0) return 2;
  cTracker t(NullDeviceConfig());
  if (!StartWithDemo(t, "edit_lock")) return 1;
  const std::filesystem::path wav = std::filesystem::temp_directory_path() / "edit_lock_10s.wav";
  if (!WriteRampWav(wav.string(), 441000, 2)) return 1;
  cWaveSlot sound;
  if (!cWavManager::ReadWav(wav.string(), &sound)) return 1;
  std::filesystem::remove(wav);
  t.TransportCommand(1);

  cSongEdits& edits = t.Edits();
  int16_t preset[kInstrumentWords];
  std::copy(t.GetParams(2), t.GetParams(2) + kInstrumentWords, preset);
  const cKind kinds[] = {
      {"typed note",
       [&](int r) {
         edits.EditPattern("Note", 1, [&](cSongTables& s) {
           s.Cell(1, r % 4, r % 64).note = uint8_t(1 + r % 100);
           return true;
         });
       }},
      {"cut track",
       [&](int r) {
         edits.EditPattern("Cut Track", r % 8, [&](cSongTables& s) {
           CutToClip(s, eClip::kTrack, cClipPlace{r % 8, r % 4, 0});
           return true;
         });
       }},
      {"sequence entry",
       [&](int r) {
         edits.EditSequence([&](cSongTables& s) {
           s.SetPattern(r % 16, uint32_t(r % 7));
           return "Sequence Pattern";
         });
       }},
      {"BPM", [&](int r) { edits.SetBpm(100 + r % 50); }},
      {"instrument word", [&](int r) { edits.SetInstrumentWord("Word", 2, 40, int16_t(r % 100)); }},
      {"engine change", [&](int r) { edits.ChangeEngine(10, r % 3); }},
      {"preset load", [&](int) { edits.PutInstrument("Load Synth", 11, preset); }},
      {"sample load (10 s stereo)",
       [&](int r) { edits.PutSample("Load Sample", 60 + r % 4, sound); }},
      {"effect type", [&](int r) { edits.ChangeEffectType(5, 2, 1 + r % 11); }},
      {"effect parameter", [&](int r) { edits.SetEffectParam("Parameter", 5, 2, 0, r % 50); }},
      {"send", [&](int r) { edits.SetSend(3, 1, r % 100); }},
  };

  std::printf("engine-lock hold while the demo plays, %d rounds (us)\n", rounds);
  std::printf("%-28s %10s %10s %10s %10s %10s %10s\n", "edit", "edit med", "edit max", "undo med",
              "undo max", "redo med", "redo max");
  double worst = 0;
  for (const cKind& kind : kinds) {
    std::vector<double> held[3];
    for (int r = 0; r < rounds; ++r) {
      edits.ResetLockHold();
      kind.edit(r);
      edits.CloseStep();
      held[0].push_back(Micros(edits.LongestLockHold()));
      edits.ResetLockHold();
      edits.Undo();
      held[1].push_back(Micros(edits.LongestLockHold()));
      edits.ResetLockHold();
      edits.Redo();
      held[2].push_back(Micros(edits.LongestLockHold()));
      // Room for the audio thread between the rounds.
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    std::printf("%-28s", kind.name);
    for (auto& h : held) {
      std::sort(h.begin(), h.end());
      std::printf(" %10.1f %10.1f", h[h.size() / 2], h.back());
      worst = std::max(worst, h.back());
    }
    std::printf("\n");
  }
  std::printf("longest hold: %.1f us (goal: under 1000)\n", worst);
  t.Shutdown();
  return 0;
}
