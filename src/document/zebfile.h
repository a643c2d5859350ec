// The open ebook file: read-only, positioned reads that never fault when the
// file shrinks under the reader (a short read is reported, not a signal).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TZebFile {
public:
  ~TZebFile();
  // False when the file cannot be opened for reading.
  bool Open(const std::string& path);
  // Current size (asks the system, so a file that changed is seen).
  int64_t Size() const;
  // Reads exactly n bytes at pos; false on any short read or error.
  bool ReadAt(int64_t pos, void* buf, size_t n) const;

private:
  int fd_ = -1;
};
