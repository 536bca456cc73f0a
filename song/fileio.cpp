#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "song/filereader.h"
#include "song/filewriter.h"

bool cFileReader::Open(const std::string& path) {
  owned.clear();
  bytes = nullptr;
  size = 0;
  position = 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  // Sized once when the file says how long it is; read to its real end all
  // the same.
  struct stat info;
  if (::fstat(::fileno(f), &info) == 0 && info.st_size > 0) owned.reserve(size_t(info.st_size));
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
    owned.insert(owned.end(), chunk, chunk + n);
  const bool ok = std::ferror(f) == 0;
  std::fclose(f);
  bytes = owned.data();
  size = owned.size();
  return ok;
}

bool cFileWriter::Commit(const std::string& path) const {
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0)
      ok = false;
    else
      done += size_t(n);
  }
  ok = ok && ::fsync(fd) == 0;
  // The file gets the permissions a plain fopen would have given it.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ok = ok && ::fchmod(fd, 0666 & ~mask) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    // errno keeps the reason of the failure for the caller's message.
    const int reason = errno;
    std::remove(temp.c_str());
    errno = reason;
  }
  return ok;
}
