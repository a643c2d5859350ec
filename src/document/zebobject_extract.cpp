// Copying an object's embedded file out of the ebook.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "document/pathutil.h"
#include "document/zebobject.h"
#include "document/zebobject_extra.h"
#include "document/zebset.h"

namespace fs = std::filesystem;

const std::string& TZEBoggetto::ExternalFile() const {
  static const std::string empty;
  return extra_ ? extra_->externalFile : empty;
}

void TZEBoggetto::SetExternalFile(std::string path) { X().externalFile = std::move(path); }

bool TZEBoggetto::ExtractToFile(const std::string& target) const {
  const std::string path = NativePath(target);
  std::error_code ec;
  std::string folder = FolderOf(path);
  if (!folder.empty()) fs::create_directories(folder, ec);
  if (!main_.Present() && !ExternalFile().empty()) {
    if (fs::equivalent(ExternalFile(), path, ec)) return true;
    return fs::copy_file(ExternalFile(), path, fs::copy_options::overwrite_existing, ec);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  bool ok = true;
  if (main_.mem) {
    out.write(main_.mem->data(), static_cast<std::streamsize>(main_.mem->size()));
  } else if (main_.filePos >= 0) {
    // Copied in pieces: a picture or embedded file may be large.
    std::vector<char> buf(1 << 16);
    int64_t pos = main_.filePos, left = main_.size;
    while (ok && left > 0) {
      size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(buf.size())));
      ok = doc_ && doc_->ReadFile(pos, buf.data(), n);
      if (ok) out.write(buf.data(), static_cast<std::streamsize>(n));
      pos += static_cast<int64_t>(n);
      left -= static_cast<int64_t>(n);
    }
  }
  out.close();
  ok = ok && !out.fail();
  if (!ok) fs::remove(path, ec);
  return ok;
}

std::string TZEBoggetto::ExtractToTemp() {
  if (!main_.Present()) return ExternalFile();
  std::error_code ec;
  if (!ExternalFile().empty() && fs::exists(ExternalFile(), ec)) return ExternalFile();
  const std::string name = FileName();
  if (name.empty() || !doc_) return {};
  const std::string path = doc_->UniqueTempFile(name);
  if (!ExtractToFile(path)) {
    doc_->Say(TMsgKind::Error,
              "Lo spazio su HD potrebbe essere insufficiente! Errore nella scorporazione file: " + path);
    return {};
  }
  if (main_.mem) main_.mem.reset(), main_.filePos = -1, main_.size = 0;
  X().externalFile = path;
  return path;
}

