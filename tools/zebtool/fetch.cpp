#include "fetch.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

#include "network/http.h"

namespace {

int Fail(const std::string& text) {
  std::fprintf(stderr, "Errore!: %s\n", text.c_str());
  return 1;
}

// A scratch file beside `out`, so that the final rename stays on one disk.
struct TScratch {
  std::string path;
  std::FILE* file = nullptr;
  explicit TScratch(const std::string& out) {
    std::string pattern = out + ".XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const int fd = ::mkstemp(buf.data());
    if (fd < 0) return;
    path = buf.data();
    file = ::fdopen(fd, "w+b");
  }
  ~TScratch() {
    if (file) std::fclose(file);
    if (!path.empty()) ::unlink(path.c_str());
  }
};

}  // namespace

int RunFetch(const std::string& url, const std::string& outPath) {
  TScratch scratch(outPath);
  if (!scratch.file) return Fail("Non riesco a creare il file " + outPath + ": " + std::strerror(errno));
  T_Http http;
  http.Limits = TNetLimits::FromEnvironment();
  TFileSink sink(scratch.file);
  http.ResponseBody = &sink;
  http.URL = url;
  try {
    http.Get();
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  if (http.StatusCode >= 400) return Fail("HTTP " + std::to_string(http.StatusCode) + " " + http.StatusText);
  const bool written = std::fflush(scratch.file) == 0 && std::fclose(scratch.file) == 0;
  scratch.file = nullptr;
  if (!written || ::rename(scratch.path.c_str(), outPath.c_str()) != 0)
    return Fail("Scrittura non riuscita: " + outPath);
  scratch.path.clear();
  return 0;
}
