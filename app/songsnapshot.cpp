#include "app/songsnapshot.h"

#include "song/songfile.h"

namespace {

// The wave list from the snapshot's slots.
class cSnapshotWaves : public cSongFileHost {
 public:
  explicit cSnapshotWaves(const cWaveSlot (&slots)[kWaveSlots]) : slots(slots) {}
  void NewModule() override {}
  cEffect* CreateEffect(int, int, uint32_t) override { return nullptr; }
  void WriteWaveList(cFileWriter& out) override { ::WriteWaveList(out, slots); }

 private:
  const cWaveSlot (&slots)[kWaveSlots];
};

}  // namespace

cSongSnapshot::cSongSnapshot() : image(std::make_unique<cSongImage>()) {}
cSongSnapshot::~cSongSnapshot() = default;

void cSongSnapshot::Write(cFileWriter& out) const {
  cSnapshotWaves host(waves);
  WriteModule(out, *image, host);
}

std::vector<uint8_t> cSongSnapshot::Bytes() const {
  cFileWriter out;
  Write(out);
  return out.TakeBytes();
}

bool cSongSnapshot::Save(const std::string& path, cFileResult* why, eReplaced replaced) const {
  cFileWriter out;
  Write(out);
  return out.Commit(path, why, replaced);
}

void cSongSnapshot::ReleaseWaves() {
  for (cWaveSlot& slot : waves) slot = cWaveSlot{};
}
