#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "song/filereader.h"
#include "song/filewriter.h"

// ---- reading ----

cFileReader& cFileReader::operator=(cFileReader&& other) noexcept {
  if (this == &other) return *this;
  Close();
  const bool ownBytes = other.bytes != nullptr && other.bytes == other.owned.data();
  owned = std::move(other.owned);
  bytes = ownBytes ? owned.data() : other.bytes;
  fd = other.fd;
  window = std::move(other.window);
  windowStart = other.windowStart;
  windowLength = other.windowLength;
  size = other.size;
  readError = other.readError;
  position = other.position;
  other.fd = -1;
  other.bytes = nullptr;
  other.size = other.position = other.windowLength = 0;
  return *this;
}

void cFileReader::Close() {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

bool cFileReader::Open(const std::string& path, cFileResult* why) {
  Close();
  owned.clear();
  bytes = nullptr;
  size = position = windowStart = windowLength = 0;
  readError = 0;
  // Not blocking: a pipe opened for reading would otherwise wait for a writer.
  const int f = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (f < 0) {
    Tell(why, cFileResult::System(errno));
    return false;
  }
  struct stat info;
  cFileResult refused;
  if (::fstat(f, &info) != 0) {
    refused = cFileResult::System(errno);
  } else if (S_ISDIR(info.st_mode)) {
    refused = cFileResult::System(EISDIR);
  } else if (!S_ISREG(info.st_mode)) {
    refused = cFileResult::NotThisKind();  // a pipe or a device never holds a whole file
  }
  if (!refused.Ok()) {
    ::close(f);
    Tell(why, refused);
    return false;
  }
  fd = f;
  size = size_t(info.st_size);
  if (!window) window = std::make_unique<uint8_t[]>(kWindowBytes);
  Tell(why, {});
  return true;
}

size_t cFileReader::Fetch(size_t offset, uint8_t* out, size_t count) const {
  if (bytes != nullptr || fd < 0) {
    if (count > 0) std::memcpy(out, bytes + offset, count);
    return count;
  }
  size_t got = 0;
  while (got < count) {
    const size_t at = offset + got;
    if (at >= windowStart && at < windowStart + windowLength) {
      const size_t n = std::min(count - got, windowStart + windowLength - at);
      std::memcpy(out + got, window.get() + (at - windowStart), n);
      got += n;
      continue;
    }
    // Large reads go straight to their destination; small ones fill the
    // window, from which the reads after them are served.
    const bool direct = count - got >= kWindowBytes;
    uint8_t* target = direct ? out + got : window.get();
    const size_t wanted = direct ? count - got : std::min(kWindowBytes, size - at);
    const ssize_t n = ::pread(fd, target, wanted, off_t(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // The file is shorter than it was when opened, or unreadable from
      // here: it ends here (and never before what was read already).
      if (n < 0) readError = errno;
      size = std::max(at, position);
      return got;
    }
    if (direct) {
      got += size_t(n);
    } else {
      windowStart = at;
      windowLength = size_t(n);
    }
  }
  return got;
}

bool cFileReader::ReadSamples(int16_t* out, size_t count) {
  auto* raw = reinterpret_cast<uint8_t*>(out);
  if (count > Remaining() / 2 || Fetch(position, raw, 2 * count) != 2 * count) {
    position = size;
    return false;
  }
  for (size_t i = 0; i < count; ++i) out[i] = Decode<int16_t>(raw + 2 * i);
  position += 2 * count;
  return true;
}

bool cFileReader::Matches(size_t offset, const char* text, size_t length) const {
  if (offset > size || length > size - offset) return false;
  std::vector<uint8_t> found(length);
  return Fetch(offset, found.data(), length) == length &&
         std::memcmp(found.data(), text, length) == 0;
}

// ---- writing ----

cFileWriter::cTestSeams cFileWriter::testSeams;

namespace {

std::string Folder(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  if (cut == std::string::npos) return ".";
  return cut == 0 ? "/" : path.substr(0, cut);
}

std::string Name(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The file a save to path replaces: path itself, or the file its chain of
// links ends at (which need not exist yet). False, with errno, when the
// chain loops or a link cannot be read.
bool FollowLinks(const std::string& path, std::string* target) {
  std::string p = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (::lstat(p.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      *target = p;
      return true;
    }
    char text[PATH_MAX];
    const ssize_t n = ::readlink(p.c_str(), text, sizeof text - 1);
    if (n < 0) return false;
    const std::string next(text, size_t(n));
    p = next.front() == '/' ? next : Folder(p) + "/" + next;
  }
  errno = ELOOP;
  return false;
}

// Our temporaries of a target start with this; the writer holds a lock on
// its temporary for as long as it lives.
std::string TemporaryPrefix(const std::string& name) { return "." + name + ".murvelon-"; }

// A name no other temporary of this process or another one has taken.
std::string TemporaryName(const std::string& folder, const std::string& name) {
  static std::atomic<uint32_t> counter{0};
  const uint64_t seed = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                        (uint64_t(::getpid()) << 32) ^ counter.fetch_add(1);
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, "%012llx",
                static_cast<unsigned long long>(seed * 0x9E3779B97F4A7C15ull >> 16));
  return folder + "/" + TemporaryPrefix(name) + suffix;
}

// The temporaries of the target that a writer killed part-way left behind:
// ours by name and owner, and no longer locked by a living writer.
void RemoveStaleTemporaries(const std::string& folder, const std::string& name) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  const std::string prefix = TemporaryPrefix(name);
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0) continue;
    const int f =
        ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (f < 0) continue;
    struct stat info;
    if (::fstat(f, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
        ::flock(f, LOCK_EX | LOCK_NB) == 0) {
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::close(f);
  }
  ::closedir(dir);
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t piece = std::min(bytes.size() - done, cFileWriter::kPieceBytes);
    const ssize_t n = ::write(fd, bytes.data() + done, piece);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += size_t(n);
    if (cFileWriter::testSeams.afterPiece != nullptr) cFileWriter::testSeams.afterPiece();
  }
  return true;
}

// Gives an unnamed temporary file a name in its folder; false with errno.
bool LinkUnnamed(int fd, const std::string& name) {
  if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return true;
  // Without the capability that AT_EMPTY_PATH asks for, through /proc.
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

}  // namespace

bool cFileWriter::Commit(const std::string& path, cFileResult* why) const {
  std::string target;
  if (!FollowLinks(path, &target)) {
    Tell(why, cFileResult::System(errno));
    return false;
  }
  const std::string folder = Folder(target), name = Name(target);
  RemoveStaleTemporaries(folder, name);

  // A new file gets what a plain open would give it (the umask applies); an
  // existing one keeps its mode from the first byte on.
  struct stat old;
  const bool replacing = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  const mode_t mode = replacing ? (old.st_mode & 07777) : 0666;

  std::string temporary;  // its name, once it has one
  int fd = -1;
  if (!testSeams.namedTemporary) {
    fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode & 0777);
    // Filesystems without unnamed files say so in one of these ways.
    if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      Tell(why, cFileResult::System(errno));
      return false;
    }
  }
  if (fd < 0) {
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
      temporary = TemporaryName(folder, name);
      fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0777);
      if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
      Tell(why, cFileResult::System(errno));
      return false;
    }
  }
  // Held until the file is closed: a save to the same target meanwhile
  // leaves this temporary alone.
  ::flock(fd, LOCK_EX);

  // Each step runs only after the ones before it went through; the first
  // failure's reason is the one reported.
  int reason = 0;
  auto step = [&reason](bool done) {
    if (!done && reason == 0) reason = errno != 0 ? errno : EIO;
    return done;
  };
  bool ok = step(WriteAll(fd, bytes));
  if (ok && replacing) {
    // The owner and group as far as the user may set them (a group the user
    // is not in gives way to the user's own), then the mode, which a change
    // of owner may have cut.
    const bool ownerKept =
        ::fchown(fd, old.st_uid, old.st_gid) == 0 || ::fchown(fd, uid_t(-1), old.st_gid) == 0;
    (void)ownerKept;
    ok = step(::fchmod(fd, mode) == 0);
  }
  ok = ok && step(::fsync(fd) == 0);
  if (ok && temporary.empty()) {
    const std::string linked = TemporaryName(folder, name);
    ok = step(LinkUnnamed(fd, linked));
    if (ok) temporary = linked;
  }
  ok = ok && step(std::rename(temporary.c_str(), target.c_str()) == 0);
  if (ok) {
    // The new name on disk as well, not only the new bytes.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
  } else if (!temporary.empty()) {
    ::unlink(temporary.c_str());
  }
  ::close(fd);
  Tell(why, ok ? cFileResult{} : cFileResult::System(reason));
  return ok;
}
