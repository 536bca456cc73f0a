#include "app/firststart.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

void Fill(const fs::path& folder, const fs::path& from, cFirstStart& result) {
  std::error_code error;
  if (fs::exists(folder, error)) return;
  if (!fs::create_directories(folder, error)) {
    result.errors.push_back("cannot create " + folder.string() + ": " + error.message());
    return;
  }
  result.created.push_back(folder.string());
  if (from.empty() || !fs::is_directory(from, error)) return;

  for (fs::directory_iterator it(from, error), end; !error && it != end; it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    const fs::path target = folder / it->path().filename();
    // copy_options::none refuses to replace a file that is there.
    std::error_code copyError;
    if (fs::copy_file(it->path(), target, fs::copy_options::none, copyError)) {
      result.copied.push_back(target.string());
    } else {
      result.errors.push_back("cannot copy " + it->path().string() + " to " + folder.string() +
                              ": " + copyError.message());
    }
  }
  if (error) result.errors.push_back("cannot read " + from.string() + ": " + error.message());
}

}  // namespace

cFirstStart PrepareUserFolders(const cPaths& paths) {
  cFirstStart result;
  const fs::path shipped = paths.shipped;
  const struct {
    const std::string& folder;
    const char* name;
  } folders[] = {{paths.songs, "Songs"}, {paths.synths, "Synths"}, {paths.fmSynths, "FMSynths"}};
  for (const auto& f : folders) {
    if (f.folder.empty()) continue;
    Fill(f.folder, shipped.empty() ? fs::path() : shipped / f.name, result);
  }
  return result;
}
