#pragma once
// The song file (".zqm"): a 32-byte header and six sections, each opened by
// an 8-character marker; most bodies are images of the in-memory tables.

#include <cstdint>
#include <string>

#include "fx/fxchains.h"
#include "song/filereader.h"
#include "song/filewriter.h"
#include "song/songtables.h"

// What loading and saving need from the rest of the engine.
class cSongFileHost {
 public:
  virtual ~cSongFileHost() = default;
  // The song reset: every table back to a new song.
  virtual void NewModule() = 0;
  // Writes the type into the slot's type table and creates its object; the
  // object, or null when the type makes none.
  virtual cEffect* CreateEffect(int chain, int slot, uint32_t type) = 0;
  // The wave list after "#WAVINF#"; a host without a wave store has none.
  virtual void WriteWaveList(cFileWriter& out) { (void)out; }
  // True when the list was read whole; otherwise why says how far it got
  // (the waves read whole so far stay) or that it could not be stored.
  virtual bool ReadWaveList(cFileReader& in, cFileResult* why) {
    (void)in;
    (void)why;
    return true;
  }
  // The most bytes a wave list of this host's store can take.
  virtual uint64_t LargestWaveList() const { return 4; }
};

// The largest song file the format can hold: every table at its limit, every
// effect slot holding the effect with the most parameters, and the largest
// wave list.
uint64_t LargestSongBytes(uint64_t largestWaveList);

// 1 on success, 0 on any failure; a failed save leaves the old file as it
// was. why, when given, says what happened.
int SaveModule(const std::string& path, const cSongTables& song, const cFxChains& fx,
               cSongFileHost& host, cFileResult* why = nullptr);
// 1 when the song was read. A file that ends early or is damaged past its
// counts loads as far as it goes: 1, and why says so (the song is then not
// the file's: a save must ask where). 0 when the file cannot be opened, is shorter than its header,
// is not a song, is larger than the largest song or states counts beyond
// the tables: the host was then not asked to reset anything. 0 also, after
// the reset, when the system fails a read part-way or a wave cannot be
// stored.
int LoadModule(const std::string& path, cSongTables& song, cFxChains& fx, cSongFileHost& host,
               cFileResult* why = nullptr);

// The same on bytes in memory.
void WriteModule(cFileWriter& out, const cSongTables& song, const cFxChains& fx,
                 cSongFileHost& host);
bool ReadModule(cFileReader& in, cSongTables& song, cFxChains& fx, cSongFileHost& host,
                cFileResult* why = nullptr);

// An effect's parameter block: its count, then each value; nothing for none.
void SaveFXparm(const cEffect* fx, cFileWriter& out);
// False when the file ends inside the block.
bool LoadFXparm(cEffect* fx, cFileReader& in);
