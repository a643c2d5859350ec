#include "document/privatefile.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

std::string MakePrivateFolder(const std::string& base, const std::string& prefix) {
  std::error_code ec;
  std::filesystem::create_directories(base, ec);
  std::string pattern = base + "/" + prefix + "XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data())) return {};
  return std::string(buf.data());
}

TFileWriter::TFileWriter(const std::string& path, TCreateMode mode) : path_(path) {
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC;
  flags |= mode == TCreateMode::NewOnly ? (O_EXCL | O_NOFOLLOW) : O_TRUNC;
  fd_ = ::open(path.c_str(), flags, mode == TCreateMode::NewOnly ? 0600 : 0644);
}

TFileWriter::~TFileWriter() {
  if (fd_ >= 0) Abandon();
}

bool TFileWriter::Write(const void* data, size_t n) {
  const char* p = static_cast<const char*>(data);
  while (ok_ && n > 0) {
    const ssize_t w = ::write(fd_, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      ok_ = false;
      break;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return ok_ && fd_ >= 0;
}

bool TFileWriter::Finish() {
  if (fd_ < 0) return false;
  ok_ = ::close(fd_) == 0 && ok_;
  fd_ = -1;
  if (!ok_) ::unlink(path_.c_str());
  return ok_;
}

void TFileWriter::Abandon() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  ::unlink(path_.c_str());
}

bool WriteNewFile(const std::string& path, std::string_view data) {
  TFileWriter out(path, TCreateMode::NewOnly);
  return out.IsOpen() && out.Write(data.data(), data.size()) && out.Finish();
}
