#include "app/configfile.h"

#include <unistd.h>

#include <QSettings>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>

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

void ReadInt(QSettings& ini, const char* key, int32_t* value) {
  const QVariant v = ini.value(key);
  if (!v.isValid()) return;
  bool ok = false;
  const int n = v.toString().trimmed().toInt(&ok);
  if (ok) *value = n;
}

}  // namespace

cPaths DefaultPaths() { return DefaultPathsFor(ExecutableFolder().string()); }

cPaths DefaultPathsFor(const std::string& exeFolder) {
  const std::filesystem::path exe = exeFolder;
  cPaths paths;
  paths.state = StateFolder();
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

std::string StateFolder() { return HomeFolder("XDG_STATE_HOME", "/.local/state") + "/murvelon"; }

cConfig GetConfig(const std::string& iniPath) {
  cConfig config;
  if (iniPath.empty() || !std::filesystem::exists(iniPath)) return config;
  QSettings ini(QString::fromStdString(iniPath), QSettings::IniFormat);
  ReadInt(ini, "DirectSound/Frequency", &config.frequency);
  ReadInt(ini, "DirectSound/Latency", &config.latency);
  ReadInt(ini, "DirectSound/Timer1Mult", &config.timer1Mult);
  ReadInt(ini, "DirectSound/Timer2ms", &config.timer2ms);
  ReadInt(ini, "DirectSound/Timer3ms", &config.timer3ms);
  ReadInt(ini, "DirectSound/PriorityClass", &config.priorityClass);
  ReadInt(ini, "DirectSound/ThreadPriority", &config.threadPriority);
  ReadInt(ini, "DirectSound/SoundDevice", &config.soundDevice);
  if (const QVariant device = ini.value("DirectSound/Device"); device.isValid()) {
    // A device name may hold commas, which the ini reader splits into a list.
    const QString name =
        device.canConvert<QStringList>() ? device.toStringList().join(",") : device.toString();
    if (!name.trimmed().isEmpty()) config.device = name.trimmed().toStdString();
  }
  ReadInt(ini, "Tracker/Chans", &config.chans);
  ReadInt(ini, "Tracker/RowAdd", &config.rowAdd);
  ReadInt(ini, "Tracker/Octave", &config.octave);
  ReadInt(ini, "Tracker/MasterVol", &config.masterVol);
  ReadInt(ini, "Tracker/MasterPan", &config.masterPan);
  ReadInt(ini, "Tracker/BPM", &config.bpm);
  ReadInt(ini, "Tracker/Speed", &config.speed);
  ReadInt(ini, "Tracker/PanelBuffering", &config.panelBuffering);
  ReadInt(ini, "Tracker/CPUcalc", &config.cpuCalc);
  ReadInt(ini, "Tracker/AutosaveSeconds", &config.autosaveSeconds);
  return config;
}
