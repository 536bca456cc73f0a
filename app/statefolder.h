#pragma once
// The state folder ($XDG_STATE_HOME/murvelon): the autosave copies in
// autosave/, the song file each song of a session was copied from, and one
// marker per running program.
//
// A copy is named SONG.SESSION.YYYYMMDD-HHMMSS-mmm.zqm: SONG is the song
// file's name ("untitled" for a song without one), SESSION the program that
// wrote it, then its local time. Beside the copies, SONG.SESSION.path holds
// the song file's full path. Files of other shapes are never touched.
//
// A marker, SESSION.session, exists while its program runs and holds a lock
// on it; a clean end removes it. A marker whose lock nobody holds belongs
// to a program that ended without cleaning up: a crash, a kill, a power cut.

#include <cstdint>
#include <string>
#include <vector>

#include "song/fileresult.h"

// Newest copies kept of one song in one session, and the most bytes all
// copies may take together.
constexpr size_t kAutosaveKeep = 10;
constexpr uint64_t kAutosaveMostBytes = uint64_t(500) * 1000 * 1000;

struct cAutosaveCopy {
  std::string path;
  std::string song;  // the name in the copy's name: the song file's, or "untitled"
  std::string session;
  int64_t time = 0;  // when written: ns since the epoch, from the file
  uint64_t bytes = 0;
};

class cStateFolder {
 public:
  explicit cStateFolder(std::string folder) : folder(std::move(folder)) {}
  const std::string& Folder() const { return folder; }
  std::string AutosaveFolder() const { return folder + "/autosave"; }

  // Makes the folders (only the user may read them); false, and why.
  bool Make(cFileResult* why) const;

  // Every copy, newest first.
  std::vector<cAutosaveCopy> Copies() const;
  // The name a copy of the song (as SongName gave it) gets now.
  std::string NewCopyPath(const std::string& song, const std::string& session) const;
  // The name under which copies of the song file go in the session, its
  // path remembered beside them: the file's name, "untitled" for none, or
  // the name with "~2", "~3", ... when another file of that name has
  // copies in the session already. Empty, and why, when it cannot be
  // remembered.
  std::string SongName(const std::string& session, const std::string& songFile,
                       cFileResult* why) const;
  // The song file a copy was taken from; empty for an untitled song or
  // when not known.
  std::string OriginalFile(const cAutosaveCopy& copy) const;

  // Keeps the newest kAutosaveKeep copies of each song of the session, then
  // removes the oldest copies of any session while all of them take more
  // than mostBytes; the newest copy of each song of each session stays.
  void Rotate(const std::string& session, size_t keep = kAutosaveKeep,
              uint64_t mostBytes = kAutosaveMostBytes) const;

 private:
  std::string PathFile(const std::string& song, const std::string& session) const;
  std::string folder;
};

// This program's marker: made with a new session's name and held until
// Remove (a clean end) or the end of the process, which leaves it behind.
class cSessionMarker {
 public:
  cSessionMarker() = default;
  ~cSessionMarker();
  cSessionMarker(const cSessionMarker&) = delete;
  cSessionMarker& operator=(const cSessionMarker&) = delete;

  // False, and why, when the folder cannot hold it.
  bool Create(const cStateFolder& state, cFileResult* why);
  const std::string& Session() const { return session; }
  bool Held() const { return fd >= 0; }
  void Remove();
  // Lets go of it and leaves it where it is: the session ended with work
  // that a later start should offer to restore.
  void Leave();

 private:
  std::string path, session;
  int fd = -1;
};

// What a later start offers to restore of a session that ended without
// cleaning up.
struct cRestoreOffer {
  std::string session;
  std::string song;      // as in the copies' names
  std::string original;  // the song file; empty for none or not known
  // The session's copies of that song newer than its file, newest first.
  std::vector<cAutosaveCopy> copies;
};

// The markers of sessions that ended without cleaning up, held while their
// offers are asked, so that a second program starting meanwhile leaves them
// alone. Running programs' markers are never touched.
class cRestoreOffers {
 public:
  cRestoreOffers() = default;
  // Lets the markers not answered go, for the next start to ask.
  ~cRestoreOffers();
  cRestoreOffers(const cRestoreOffers&) = delete;
  cRestoreOffers& operator=(const cRestoreOffers&) = delete;

  // Looks at every marker but ownSession's. An ended session whose newest
  // copy is newer than its song file (or that has no song file) becomes an
  // offer of that song's newer copies; an ended session with nothing to
  // offer has its marker removed.
  void Find(const cStateFolder& state, const std::string& ownSession);
  // Newest first.
  const std::vector<cRestoreOffer>& Offers() const { return offers; }
  // The offer was asked: its marker goes, whatever the answer.
  void Answered(size_t index);

 private:
  std::vector<cRestoreOffer> offers;
  std::vector<std::string> markers;  // of each offer
  std::vector<int> held;             // the lock of each offer's marker; -1 once answered
};
