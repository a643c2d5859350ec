// Opening a large ebook: time to load every record against reading the file
// once, id lookups, page texts, and peak memory.
//   bench_open [FILE]   builds FILE (default /tmp/lectra-bench.zeb) when missing,
//                       in a child process, then measures.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <fcntl.h>

#include "document/zebset.h"
#include "benchbook.h"

using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

double ReadWholeFile(const std::string& path) {
  auto t0 = Clock::now();
  int fd = ::open(path.c_str(), O_RDONLY);
  std::vector<char> buf(1 << 17);
  size_t total = 0;
  for (ssize_t r; (r = ::read(fd, buf.data(), buf.size())) > 0;) total += static_cast<size_t>(r);
  ::close(fd);
  auto t1 = Clock::now();
  if (total == 0) std::puts("empty file");
  return Ms(t0, t1);
}

int Measure(const std::string& path) {
  const double fileMb = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
  ReadWholeFile(path);  // warm the page cache
  double readMs = 1e9, openMs = 1e9;
  for (int round = 0; round < 5; ++round) {
    readMs = std::min(readMs, ReadWholeFile(path));
    TZEBset doc;
    auto t0 = Clock::now();
    if (!doc.Open(path)) return 1;
    openMs = std::min(openMs, Ms(t0, Clock::now()));
  }
  TZEBset doc;
  doc.Open(path);
  const int n = doc.Count(internetLink);
  auto t0 = Clock::now();
  size_t hits = 0;
  const int lookups = 10'000'000;
  for (int i = 0; i < lookups; ++i) hits += doc.ObjectById(MakeId(internetLink, static_cast<int32_t>((int64_t(i) * 7919) % n))) != nullptr;
  double lookupNs = Ms(t0, Clock::now()) * 1e6 / lookups;
  t0 = Clock::now();
  size_t chars = 0;
  for (int i = 0; i < doc.Count(testoHtml); ++i) chars += doc.Page(i)->PlainText(true).size();
  double textMs = Ms(t0, Clock::now());
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  const double peakMb = static_cast<double>(ru.ru_maxrss) / 1024;
  std::printf("file            %.1f MB, %d pages, %d links, %d pictures\n", fileMb, doc.Count(testoHtml), n,
              doc.Count(immagine));
  std::printf("read file once  %.2f ms\n", readMs);
  std::printf("Open            %.2f ms  (ratio to one read: %.2f, goal < 2)\n", openMs, openMs / readMs);
  std::printf("ObjectById      %.2f ns  (%zu hits)\n", lookupNs, hits);
  std::printf("PlainText all   %.1f ms  (%zu characters)\n", textMs, chars);
  std::printf("peak RSS        %.1f MB  (ratio to file size: %.2f, goal < 1.5)\n", peakMb, peakMb / fileMb);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : kBenchBook;
  if (!EnsureBenchBook(path)) return 1;
  return Measure(path);
}
