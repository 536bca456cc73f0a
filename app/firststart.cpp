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

// The settings the program ships go where the program reads its settings,
// unless a file is there already.
void CopySettings(const fs::path& from, const fs::path& to, cFirstStart& result) {
  std::error_code error;
  if (to.empty() || !fs::is_regular_file(from, error) || fs::exists(to, error)) return;
  fs::create_directories(to.parent_path(), error);
  if (fs::copy_file(from, to, fs::copy_options::none, error)) {
    result.copied.push_back(to.string());
  } else {
    result.errors.push_back("cannot copy " + from.string() + " to " + to.string() + ": " +
                            error.message());
  }
}

}  // namespace

cFirstStart PrepareUserFolders(const cPaths& paths) {
  cFirstStart result;
  const fs::path shipped = paths.shipped;
  if (!shipped.empty()) CopySettings(shipped / "murvelon.ini", paths.ini, result);
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
