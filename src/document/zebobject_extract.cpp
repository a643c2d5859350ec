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

namespace {

constexpr size_t kChunk = 1 << 16;

TExtractResult CopyExternal(const std::string& from, TFileWriter& out) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return TExtractResult::ReadFailed;
  std::vector<char> buf(kChunk);
  while (in) {
    in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
    const auto got = static_cast<size_t>(in.gcount());
    if (got > 0 && !out.Write(buf.data(), got)) return TExtractResult::WriteFailed;
  }
  return in.bad() ? TExtractResult::ReadFailed : TExtractResult::Ok;
}

}  // namespace

const std::string& TZEBoggetto::ExternalFile() const {
  static const std::string empty;
  return extra_ ? extra_->externalFile : empty;
}

void TZEBoggetto::SetExternalFile(std::string path) { X().externalFile = std::move(path); }

TExtractResult TZEBoggetto::CopyPayload(TFileWriter& out) const {
  if (main_.mem) return out.Write(main_.mem->data(), main_.mem->size()) ? TExtractResult::Ok : TExtractResult::WriteFailed;
  if (main_.filePos < 0 || main_.size == 0) return TExtractResult::Ok;
  if (!doc_ || !doc_->CanRead(main_.filePos, main_.size)) return TExtractResult::ReadFailed;
  // Copied in pieces: a picture or embedded file may be large.
  std::vector<char> buf(kChunk);
  int64_t pos = main_.filePos, left = main_.size;
  while (left > 0) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(buf.size())));
    if (!doc_ || !doc_->ReadFile(pos, buf.data(), n)) return TExtractResult::ReadFailed;
    if (!out.Write(buf.data(), n)) return TExtractResult::WriteFailed;
    pos += static_cast<int64_t>(n);
    left -= static_cast<int64_t>(n);
  }
  return TExtractResult::Ok;
}

TExtractResult TZEBoggetto::Extract(const std::string& target, TCreateMode mode) const {
  const std::string path = NativePath(target);
  std::error_code ec;
  const bool external = !main_.Present() && !ExternalFile().empty();
  if (external && fs::equivalent(ExternalFile(), path, ec)) return TExtractResult::Ok;
  if (mode == TCreateMode::Replace) {
    const std::string folder = FolderOf(path);
    if (!folder.empty()) fs::create_directories(folder, ec);
  }
  TFileWriter out(path, mode);
  if (!out.IsOpen()) return TExtractResult::WriteFailed;
  const TExtractResult r = external ? CopyExternal(ExternalFile(), out) : CopyPayload(out);
  if (r != TExtractResult::Ok) {
    out.Abandon();
    return r;
  }
  return out.Finish() ? TExtractResult::Ok : TExtractResult::WriteFailed;
}

bool TZEBoggetto::ExtractToFile(const std::string& target) const {
  return Extract(target, TCreateMode::Replace) == TExtractResult::Ok;
}

std::string TZEBoggetto::ExtractToTemp() {
  if (!main_.Present()) return ExternalFile();
  std::error_code ec;
  if (!ExternalFile().empty() && fs::exists(ExternalFile(), ec)) return ExternalFile();
  const std::string name = FileName();
  if (name.empty() || !doc_) return {};
  const std::string path = doc_->UniqueTempFile(name);
  switch (path.empty() ? TExtractResult::WriteFailed : Extract(path, TCreateMode::NewOnly)) {
    case TExtractResult::Ok: break;
    case TExtractResult::ReadFailed: return {};  // the document has reported the failed read
    case TExtractResult::WriteFailed:
      doc_->Say(TMsgKind::Error,
                "Lo spazio su HD potrebbe essere insufficiente! Errore nella scorporazione file: " + path);
      return {};
  }
  if (main_.mem) main_.mem.reset(), main_.filePos = -1, main_.size = 0;
  X().externalFile = path;
  return path;
}
