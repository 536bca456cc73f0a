// The pattern editor typing, pasting, editing the sequence, and undoing and
// redoing, while the output thread renders the song that it edits. Built with ThreadSanitizer
// (make tsan) it must report nothing: every byte the editor writes is one the
// player may read at the same moment.

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "app/trackerinside.h"
#include "editor/patterneditor.h"
#include "support/busysong.h"
#include "support/realtimesupport.h"

namespace {

class cQuietHost : public cEditorHost {
 public:
  explicit cQuietHost(cTracker& t) : tracker(t) {}
  void PlayClick() override { tracker.TransportCommand(kTransportPlay); }
  void ContinueClick() override { tracker.TransportCommand(kTransportContinue); }
  void PlayPatClick() override { tracker.TransportCommand(kTransportPlayPattern); }
  void StopClick() override { tracker.TransportCommand(kTransportStop); }
  void PanicClick() override { tracker.Panic(1); }
  void EngineRestart() override {}
  void PatternClick() override {}
  void ChansClick() override {}
  void SynthClick() override {}
  void LoadSongFile(const std::string&) override {}
  void SetStatusText(int, const std::string&) override {}
  void ShowEditMode(int) override {}
  void RepaintPattern() override {}
  void RepaintSequence() override {}

 private:
  cTracker& tracker;
};

}  // namespace

TEST(Threads, ThePatternEditorWorksWhileTheOutputThreadRenders) {
  cConfig config = NullDeviceConfig();
  cTracker t(config);
  t.SetFatalHandler([](const std::string& message) { ADD_FAILURE() << message; });
  ASSERT_TRUE(t.SystemStart(true));
  ComposeBusySong(t, 4);
  cQuietHost host(t);
  cPatternEditor editor(t, host);
  editor.StartViews(800, 400);
  editor.ToggleEditMode();
  t.TransportCommand(kTransportPlay);

  const int keys[] = {'Z',       'Q',          '5',     kVkRight,  '7',     kVkRight, '9',   kVkTab,
                      kVkDelete, kVkOemPeriod, kVkOem5, kVkInsert, kVkBack, kVkAdd,   kVkTab};
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
  for (int i = 0; std::chrono::steady_clock::now() < until; ++i) {
    const int vk = keys[i % std::size(keys)];
    editor.AppMessage(cKey{vk, 0, vk == kVkAdd ? kModCtrl : 0});
    if (i % 7 == 0) editor.AppMessage(cKey{kVkF4, 0, kModShift});
    if (i % 7 == 3) editor.AppMessage(cKey{kVkF5, 0, kModShift});
    if (i % 11 == 5) editor.AppMessage(cKey{kVkF3, 0, kModCtrl | kModShift});
    if (i % 13 == 0) editor.SequenceMouseDown(8 * 9 + 3, 16 * 4 + 5, kButtonLeft);
    if (i % 17 == 0) editor.SequenceArrow(i % 2 ? 1 : -1, false);
    if (i % 19 == 0) editor.InsertSequenceEntry();
    if (i % 19 == 1) editor.DeleteSequenceEntry();
    // Undo and redo apply their steps while the song plays.
    if (i % 5 == 2) t.Edits().Undo();
    if (i % 5 == 4) t.Edits().Redo();
    if (i % 23 == 0) t.Edits().ChangeEffectType(i % 4, 0, 1 + i % 11);
    if (i % 23 == 11) t.Edits().Undo();
    editor.FollowPlayback(true, true, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_TRUE(t.Modified());
  EXPECT_TRUE(t.Edits().CanUndo());
  t.Shutdown();
}
