#include "app/statefolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <random>

#include "song/filereader.h"
#include "song/filewriter.h"

namespace {

constexpr char kCopySuffix[] = ".zqm";
constexpr char kPathSuffix[] = ".path";
constexpr char kMarkerSuffix[] = ".session";
constexpr char kUntitled[] = "untitled";
constexpr size_t kSessionChars = 8;
constexpr size_t kStampChars = 19;  // YYYYMMDD-HHMMSS-mmm

bool EndsWith(const std::string& s, const char* suffix) {
  const size_t n = std::char_traits<char>::length(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

bool IsSession(const std::string& s) {
  return s.size() == kSessionChars &&
         std::all_of(s.begin(), s.end(), [](char c) { return std::isxdigit(uint8_t(c)); });
}

bool IsStamp(const std::string& s) {
  if (s.size() != kStampChars) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    const bool dash = i == 8 || i == 15;
    if (dash ? s[i] != '-' : !std::isdigit(uint8_t(s[i]))) return false;
  }
  return true;
}

// SONG.SESSION.STAMP.zqm into its parts; false for any other name.
bool ParseCopyName(const std::string& name, cAutosaveCopy* copy) {
  if (!EndsWith(name, kCopySuffix)) return false;
  const std::string rest = name.substr(0, name.size() - (sizeof kCopySuffix - 1));
  const size_t stampAt = rest.rfind('.');
  if (stampAt == std::string::npos || stampAt == 0) return false;
  const size_t sessionAt = rest.rfind('.', stampAt - 1);
  if (sessionAt == std::string::npos || sessionAt == 0) return false;
  const std::string session = rest.substr(sessionAt + 1, stampAt - sessionAt - 1);
  if (!IsSession(session) || !IsStamp(rest.substr(stampAt + 1))) return false;
  copy->song = rest.substr(0, sessionAt);
  copy->session = session;
  return true;
}

int64_t ModifiedNs(const struct stat& info) {
  return int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

// Makes the folder and those above it that are missing, each only for
// the user.
bool MakeFolders(const std::string& folder) {
  std::string path;
  size_t from = 0;
  while (from <= folder.size()) {
    const size_t cut = folder.find('/', from);
    path = folder.substr(0, cut == std::string::npos ? folder.size() : cut);
    from = cut == std::string::npos ? folder.size() + 1 : cut + 1;
    if (path.empty()) continue;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat info;
  if (::stat(folder.c_str(), &info) != 0) return false;
  if (!S_ISDIR(info.st_mode)) {
    errno = ENOTDIR;
    return false;
  }
  return true;
}

std::string ReadText(const std::string& path) {
  cFileReader in;
  if (!in.Open(path) || in.Size() > 64 * 1024) return {};
  std::string text(in.Size(), '\0');
  if (!in.ReadBytes(text.data(), text.size())) return {};
  return text;
}

std::string NewSessionName() {
  std::random_device random;
  std::uniform_int_distribution<uint32_t> any;
  char name[kSessionChars + 1];
  std::snprintf(name, sizeof name, "%08x", unsigned(any(random)));
  return name;
}

}  // namespace

bool cStateFolder::Make(cFileResult* why) const {
  const bool made = MakeFolders(AutosaveFolder());
  Tell(why, made ? cFileResult{} : cFileResult::System(errno));
  return made;
}

std::vector<cAutosaveCopy> cStateFolder::Copies() const {
  std::vector<cAutosaveCopy> copies;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(AutosaveFolder(), error)) {
    cAutosaveCopy copy;
    if (!ParseCopyName(entry.path().filename().string(), &copy)) continue;
    copy.path = entry.path().string();
    struct stat info;
    if (::lstat(copy.path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    copy.time = ModifiedNs(info);
    copy.bytes = uint64_t(info.st_size);
    copies.push_back(std::move(copy));
  }
  std::sort(copies.begin(), copies.end(), [](const cAutosaveCopy& a, const cAutosaveCopy& b) {
    return a.time != b.time ? a.time > b.time : a.path > b.path;
  });
  return copies;
}

// Two copies within one millisecond get stamps a millisecond apart.
std::string cStateFolder::NewCopyPath(const std::string& song, const std::string& session) const {
  auto now =
      std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now());
  for (;; now += std::chrono::milliseconds(1)) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d-%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  int(now.time_since_epoch().count() % 1000));
    const std::string path =
        AutosaveFolder() + "/" + song + "." + session + "." + stamp + kCopySuffix;
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return path;
  }
}

std::string cStateFolder::PathFile(const std::string& song, const std::string& session) const {
  return AutosaveFolder() + "/" + song + "." + session + kPathSuffix;
}

std::string cStateFolder::SongName(const std::string& session, const std::string& songFile,
                                   cFileResult* why) const {
  Tell(why, {});
  if (songFile.empty()) return kUntitled;
  const std::string name = std::filesystem::path(songFile).filename().string();
  for (int n = 1; n < 1000; ++n) {
    const std::string song = n == 1 ? name : name + "~" + std::to_string(n);
    if (song == kUntitled) continue;
    const std::string pathFile = PathFile(song, session);
    struct stat info;
    if (::stat(pathFile.c_str(), &info) == 0) {
      if (ReadText(pathFile) == songFile) return song;
      continue;
    }
    cFileWriter out;
    out.WriteBytes(songFile.data(), songFile.size());
    if (!out.Commit(pathFile, why)) return {};
    return song;
  }
  Tell(why, cFileResult::System(EEXIST));
  return {};
}

std::string cStateFolder::OriginalFile(const cAutosaveCopy& copy) const {
  if (copy.song == kUntitled) return {};
  return ReadText(PathFile(copy.song, copy.session));
}

void cStateFolder::Rotate(const std::string& session, size_t keep, uint64_t mostBytes) const {
  std::vector<cAutosaveCopy> copies = Copies();
  std::map<std::pair<std::string, std::string>, size_t> seen;  // copies of each song and session
  std::vector<bool> newest(copies.size()), gone(copies.size());
  uint64_t total = 0;
  for (size_t i = 0; i < copies.size(); ++i) {
    const size_t n = ++seen[{copies[i].song, copies[i].session}];
    newest[i] = n == 1;
    if (copies[i].session == session && n > keep) {
      std::error_code error;
      gone[i] = std::filesystem::remove(copies[i].path, error);
      if (gone[i]) continue;
    }
    total += copies[i].bytes;
  }
  for (size_t i = copies.size(); i-- > 0 && total > mostBytes;) {
    if (gone[i] || newest[i]) continue;
    std::error_code error;
    if (std::filesystem::remove(copies[i].path, error)) total -= copies[i].bytes;
  }
}

// ---- markers ----

cSessionMarker::~cSessionMarker() { Leave(); }

// The marker is made and locked under a temporary name, then linked to its
// own: another program never sees it unlocked.
bool cSessionMarker::Create(const cStateFolder& state, cFileResult* why) {
  Leave();
  if (!state.Make(why)) return false;
  const std::string pid = std::to_string(::getpid()) + "\n";
  for (int attempt = 0; attempt < 20; ++attempt) {
    const std::string name = NewSessionName();
    const std::string temporary = state.Folder() + "/." + name + kMarkerSuffix;
    const std::string final = state.Folder() + "/" + name + kMarkerSuffix;
    const int f = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (f < 0) {
      if (errno == EEXIST) continue;
      Tell(why, cFileResult::System(errno));
      return false;
    }
    const bool ready = ::flock(f, LOCK_EX | LOCK_NB) == 0 &&
                       ::write(f, pid.data(), pid.size()) == ssize_t(pid.size());
    const int reason = errno;
    const bool linked = ready && ::link(temporary.c_str(), final.c_str()) == 0;
    const int linkReason = errno;
    ::unlink(temporary.c_str());
    if (linked) {
      fd = f;
      path = final;
      session = name;
      Tell(why, {});
      return true;
    }
    ::close(f);
    if (ready && linkReason == EEXIST) continue;
    Tell(why, cFileResult::System(ready ? linkReason : reason));
    return false;
  }
  Tell(why, cFileResult::System(EEXIST));
  return false;
}

void cSessionMarker::Remove() {
  if (fd < 0) return;
  ::unlink(path.c_str());
  Leave();
}

void cSessionMarker::Leave() {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// ---- offers ----

cRestoreOffers::~cRestoreOffers() {
  for (int f : held)
    if (f >= 0) ::close(f);
}

void cRestoreOffers::Find(const cStateFolder& state, const std::string& ownSession) {
  const std::vector<cAutosaveCopy> copies = state.Copies();
  std::error_code error;
  std::vector<std::pair<cRestoreOffer, std::pair<std::string, int>>> found;
  for (const auto& entry : std::filesystem::directory_iterator(state.Folder(), error)) {
    const std::string name = entry.path().filename().string();
    if (!EndsWith(name, kMarkerSuffix)) continue;
    const std::string session = name.substr(0, name.size() - (sizeof kMarkerSuffix - 1));
    if (!IsSession(session) || session == ownSession) continue;
    const std::string marker = entry.path().string();
    const int f = ::open(marker.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (f < 0) continue;
    if (::flock(f, LOCK_EX | LOCK_NB) != 0) {  // its program runs
      ::close(f);
      continue;
    }
    cRestoreOffer offer;
    offer.session = session;
    for (const cAutosaveCopy& copy : copies) {
      if (copy.session != session) continue;
      if (offer.copies.empty()) {
        offer.song = copy.song;
        offer.original = state.OriginalFile(copy);
      }
      if (copy.song == offer.song) offer.copies.push_back(copy);
    }
    struct stat info;
    if (!offer.original.empty() && ::stat(offer.original.c_str(), &info) == 0) {
      const int64_t saved = ModifiedNs(info);
      std::erase_if(offer.copies, [saved](const cAutosaveCopy& c) { return c.time <= saved; });
    }
    if (offer.copies.empty()) {
      ::unlink(marker.c_str());
      ::close(f);
      continue;
    }
    found.push_back({std::move(offer), {marker, f}});
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return a.first.copies.front().time > b.first.copies.front().time;
  });
  for (auto& [offer, lock] : found) {
    offers.push_back(std::move(offer));
    markers.push_back(lock.first);
    held.push_back(lock.second);
  }
}

void cRestoreOffers::Answered(size_t index) {
  if (index >= held.size() || held[index] < 0) return;
  ::unlink(markers[index].c_str());
  ::close(held[index]);
  held[index] = -1;
}
