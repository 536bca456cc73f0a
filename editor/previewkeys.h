#pragma once
// Which let-go key stops which previewed note. Each channel remembers the
// key whose preview started there last; letting that key go stops the note,
// as long as nothing else (a row, a MIDI key, another preview) has started a
// note on the channel since. A key is known by its physical key where the
// platform names one, so that a release is matched on every layout and
// whatever the modifiers made of the printed key meanwhile.

#include <cstdint>
#include <optional>
#include <vector>

#include "editor/keys.h"

// The key's identity for matching its release with its press.
int PreviewKeyOf(const cKey& key);

class cPreviewKeys {
 public:
  static constexpr int kChannels = 16;

  struct cHeld {
    int channel;
    uint32_t started;  // the channel's count of started notes with this one in it
  };

  // key (PreviewKeyOf) started a note on channel.
  void Started(int key, int channel, uint32_t started);
  // key was let go: the note it started when it is still the last preview
  // on its channel, else nothing. Either way the key is forgotten.
  std::optional<cHeld> Released(int key);
  // A release or a stop that reached the channel otherwise.
  void Forget(int channel);
  void Clear();
  // Every key let go at once (the window lost the keyboard, and with it the
  // releases): the notes the keys still hold. The keys are forgotten.
  std::vector<cHeld> ReleaseAll();
  // Some key still holds the note it started.
  bool AnyHeld() const;

 private:
  struct cSlot {
    int key = 0;  // 0: none
    uint32_t started = 0;
  };
  cSlot last[kChannels];
};
