#include "editor/songsettings.h"

#include "app/tracker.h"
#include "editor/statustext.h"

namespace {

// One merge key per control.
enum : uint32_t { kBpmField, kSpeedField, kVolumeKnob, kPanKnob };

}  // namespace

bool cSongSettingsEditor::SetChannelCount(int32_t count) {
  return tracker.Edits().SetChannelCount(count);
}

bool cSongSettingsEditor::SetBpm(int32_t bpm) {
  return tracker.Edits().SetBpm(bpm, MergeKey(eMergeKind::kSetting, kBpmField));
}

bool cSongSettingsEditor::SetSpeed(int32_t speed) {
  return tracker.Edits().SetSpeed(speed, MergeKey(eMergeKind::kSetting, kSpeedField));
}

std::string cSongSettingsEditor::SetMasterVolume(int32_t knob) {
  tracker.Edits().SetMasterVolume(knob, MergeKey(eMergeKind::kSetting, kVolumeKnob));
  return MasterVolumeMessage(tracker.Song().masterVolume);
}

// The knob moves in steps of 1, the pan in steps of 5.
std::string cSongSettingsEditor::SetMasterPan(int32_t knob) {
  tracker.Edits().SetMasterPan(MasterPanFromKnob(knob), MergeKey(eMergeKind::kSetting, kPanKnob));
  return MasterPanMessage(tracker.Song().masterPan);
}
