#include "app/configfile.h"

#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>

#include "app/settingsfile.h"

namespace {

std::filesystem::path ExecutableFolder() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::current_path() : self.parent_path();
}

// A relative path in an XDG variable is not valid and is ignored.
std::string HomeFolder(const char* variable, const char* fallback) {
  if (const char* v = std::getenv(variable); v != nullptr && v[0] == '/') return v;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : ".") + fallback;
}

std::string_view TrimSpaces(std::string_view s) {
  constexpr const char* kSpaces = " \t\n\v\f\r";
  const size_t first = s.find_first_not_of(kSpaces);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kSpaces) - first + 1);
}

// A whole decimal number with an optional sign, in range; else the
// default stays.
void ReadValue(std::string_view text, int32_t* value) {
  text = TrimSpaces(text);
  const bool plus = !text.empty() && text[0] == '+';
  if (plus) text.remove_prefix(1);
  if (plus && !text.empty() && text[0] == '-') return;
  int32_t n = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (error == std::errc() && end == text.data() + text.size()) *value = n;
}

void ReadValue(std::string_view text, std::string* value) {
  text = TrimSpaces(text);
  if (!text.empty()) *value = text;
}

}  // namespace

cPaths DefaultPaths() { return DefaultPathsFor(ExecutableFolder().string()); }

cPaths DefaultPathsFor(const std::string& exeFolder) {
  const std::filesystem::path exe = exeFolder;
  cPaths paths;
  std::error_code error;
  const std::filesystem::path shipped = exe.parent_path() / "share" / "murvelon";
  if (std::filesystem::is_directory(shipped, error))
    paths.shipped = shipped.lexically_normal().string();
  // An installed program's folder may be writable (a prefix in the user's
  // home) but is no place for songs, settings or a cache.
  if (paths.shipped.empty() && ::access(exe.c_str(), W_OK) == 0) {
    paths.ini = exe / "murvelon.ini";
    paths.songs = exe / "Songs";
    paths.synths = exe / "Synths";
    paths.fmSynths = exe / "FMSynths";
    paths.wavetables = exe / "System" / "Wavetables" / "wf_sawt.raw";
    return paths;
  }
  const std::filesystem::path config = HomeFolder("XDG_CONFIG_HOME", "/.config");
  const std::filesystem::path data = HomeFolder("XDG_DATA_HOME", "/.local/share");
  const std::filesystem::path cache = HomeFolder("XDG_CACHE_HOME", "/.cache");
  paths.ini = config / "murvelon" / "murvelon.ini";
  paths.songs = data / "murvelon" / "Songs";
  paths.synths = data / "murvelon" / "Synths";
  paths.fmSynths = data / "murvelon" / "FMSynths";
  paths.wavetables = cache / "murvelon" / "Wavetables" / "wf_sawt.raw";
  return paths;
}

cConfig GetConfig(const std::string& iniPath) {
  cConfig config;
  cSettingsFile file;
  if (iniPath.empty() || !file.Load(iniPath, nullptr)) return config;
  ForEachConfigKey([&](const char* section, const char* key, auto field) {
    if (const auto text = file.Value(section, key)) ReadValue(*text, &(config.*field));
  });
  return config;
}

bool SaveConfig(const std::string& iniPath, const cConfig& config, const cConfig& asRead,
                std::string* error) {
  cSettingsFile file;
  if (!file.Load(iniPath, error)) return false;
  bool changed = false;
  ForEachConfigKey([&](const char* section, const char* key, auto field) {
    if (config.*field == asRead.*field) return;
    file.Set(section, key, config.*field);
    changed = true;
  });
  return !changed || file.Save(iniPath, error);
}
