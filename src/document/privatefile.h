// Files the reader writes: its private scratch folder and the files in it.
// Another user of the machine must not be able to predict, pre-create or
// redirect any of them.
#pragma once

#include <string>
#include <string_view>

enum class TCreateMode {
  Replace,  // a place the user chose: an existing file there is overwritten
  NewOnly,  // the scratch folder: the file must not exist yet and is never a link
};

// A fresh folder inside `base` (mode 0700) named `prefix` and six random
// characters; empty when it cannot be made.
std::string MakePrivateFolder(const std::string& base, const std::string& prefix);

// Streams data into a file created per `mode` (0600 for NewOnly); a failed
// write removes what was written.
class TFileWriter {
public:
  TFileWriter(const std::string& path, TCreateMode mode);
  ~TFileWriter();
  TFileWriter(const TFileWriter&) = delete;
  TFileWriter& operator=(const TFileWriter&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  bool Write(const void* data, size_t n);
  // Closes the file; false when anything failed (the file is then removed).
  bool Finish();
  // Gives up: the file is removed.
  void Abandon();

private:
  std::string path_;
  int fd_ = -1;
  bool ok_ = true;
};

// The whole of `data` into a new file; false when it exists or cannot be written.
bool WriteNewFile(const std::string& path, std::string_view data);
