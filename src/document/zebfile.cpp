#include "document/zebfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

TZebFile::~TZebFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool TZebFile::Open(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  struct stat st{};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  // Advisory only: other readers of this program see the file in use.
  (void)::flock(fd_, LOCK_SH | LOCK_NB);
  return true;
}

int64_t TZebFile::Size() const {
  struct stat st{};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
  return st.st_size;
}

bool TZebFile::ReadAt(int64_t pos, void* buf, size_t n) const {
  if (fd_ < 0 || pos < 0) return false;
  auto* p = static_cast<char*>(buf);
  while (n > 0) {
    ssize_t r = ::pread(fd_, p, n, static_cast<off_t>(pos));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    pos += r;
    n -= static_cast<size_t>(r);
  }
  return true;
}
