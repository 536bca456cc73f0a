#pragma once
// The user's own folders, made and filled at the program's first start.

#include <string>
#include <vector>

#include "app/configfile.h"

struct cFirstStart {
  std::vector<std::string> created;  // folders made now
  std::vector<std::string> copied;   // files copied into them
  std::vector<std::string> errors;   // what could not be done, and why
};

// Makes the user's Songs/, Synths/ and FMSynths/ folders (paths.songs,
// paths.synths, paths.fmSynths) where they do not exist, and fills each
// folder made now with the files of the same folder under paths.shipped:
// the demo song and the starter presets. A folder that exists already
// belongs to the user and is left as it is, so a file the user deleted
// does not come back and no file is ever overwritten. The shipped settings
// (paths.shipped/murvelon.ini) become the user's settings file (paths.ini)
// when the user has none. Nothing here is fatal:
// what fails is listed in errors and the program goes on.
cFirstStart PrepareUserFolders(const cPaths& paths);
