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
  virtual bool ReadWaveList(cFileReader& in) {
    (void)in;
    return true;
  }
};

// 1 on success, 0 on any failure; a failed save leaves the old file as it was.
int SaveModule(const std::string& path, const cSongTables& song, const cFxChains& fx,
               cSongFileHost& host);
// 1 on success; 0 when the file cannot be read, is not a song file or states
// counts beyond the tables, and the current song is then untouched.
int LoadModule(const std::string& path, cSongTables& song, cFxChains& fx, cSongFileHost& host);

// The same on bytes in memory.
void WriteModule(cFileWriter& out, const cSongTables& song, const cFxChains& fx,
                 cSongFileHost& host);
bool ReadModule(cFileReader& in, cSongTables& song, cFxChains& fx, cSongFileHost& host);

// An effect's parameter block: its count, then each value; nothing for none.
void SaveFXparm(const cEffect* fx, cFileWriter& out);
void LoadFXparm(cEffect* fx, cFileReader& in);
