// Where each ebook was left: the page last shown, keyed by the ebook's full
// path and size, for the last 50 ebooks read (most recent first), in the
// settings subkey "bookpages" as "size|page|path" lines item0..item49.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TSettings;

class TBookMemory {
public:
  static constexpr size_t MaxBooks = 50;
  static constexpr const char* Subkey = "bookpages";

  void Load(TSettings& settings);
  void Save(TSettings& settings) const;
  // The page where the ebook was left; -1 when it is not remembered (or its
  // size changed since: then it is another edition).
  int PageFor(const std::string& path, int64_t size) const;
  void Remember(const std::string& path, int64_t size, int page);

private:
  struct TEntry {
    std::string path;
    int64_t size = 0;
    int page = 0;
  };
  std::vector<TEntry> books_;
};

// The size of a file, -1 when it cannot be read.
int64_t FileSizeOf(const std::string& path);
