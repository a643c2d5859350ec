// The transfer record of an object: clipboard and copies between documents.
#include <cstring>

#include "document/zebobject.h"
#include "document/zebobject_extra.h"
#include "document/zebset.h"

namespace {
void AddI32(std::string& out, int32_t v) {
  uint8_t b[4];
  PutI32(b, v);
  out.append(reinterpret_cast<char*>(b), 4);
}
bool TakeI32(std::string_view d, size_t& pos, int32_t& v) {
  if (pos > d.size() || d.size() - pos < 4) return false;
  v = GetI32(reinterpret_cast<const uint8_t*>(d.data() + pos));
  pos += 4;
  return true;
}
bool TakeBytes(std::string_view d, size_t& pos, int32_t n, std::string& out) {
  if (n < 0 || pos > d.size() || d.size() - pos < static_cast<size_t>(n)) return false;
  out.assign(d.data() + pos, static_cast<size_t>(n));
  pos += static_cast<size_t>(n);
  return true;
}
}  // namespace

void TZEBoggetto::WriteTransfer(std::string& out) const {
  AddI32(out, index_);
  out.push_back(static_cast<char>(kind_));
  uint8_t rec[RecordSize];
  rec_.CopyTo(rec);
  out.append(reinterpret_cast<char*>(rec), RecordSize);
  AddI32(out, static_cast<int32_t>(ExternalFile().size()));
  out += ExternalFile();
  std::string m = MainPayload();
  AddI32(out, static_cast<int32_t>(m.size()));
  AddI32(out, 0);
  out += m;
  std::string a = AttrPayload();
  AddI32(out, static_cast<int32_t>(a.size()));
  out += a;
}

bool TZEBoggetto::ReadTransfer(std::string_view d, size_t& pos) {
  int32_t index = 0, len = 0, zero = 0;
  std::string rec, ext, main, attr;
  if (!TakeI32(d, pos, index) || pos >= d.size()) return false;
  const uint8_t kind = static_cast<uint8_t>(d[pos++]);
  if (kind >= KindCount) return false;
  if (stored_ && kind != kind_) {
    if (doc_)
      doc_->Say(TMsgKind::Error,
                "In un TZEBoggetto registrato si può caricare solo un TZEBoggetto dello stesso tipo!");
    return false;
  }
  if (!TakeBytes(d, pos, RecordSize, rec) || !TakeI32(d, pos, len) || !TakeBytes(d, pos, len, ext) ||
      !TakeI32(d, pos, len) || !TakeI32(d, pos, zero) || !TakeBytes(d, pos, len, main) ||
      !TakeI32(d, pos, len) || !TakeBytes(d, pos, len, attr))
    return false;
  if (!stored_) {
    kind_ = kind;
    index_ = index;
  }
  rec_.Reset(0xFF);
  std::memcpy(rec_.Own(), rec.data(), RecordSize);
  main_.Reset();
  attr_.Reset();
  if (!main.empty()) SetMainPayload(std::move(main));
  if (!attr.empty()) SetAttrPayload(std::move(attr));
  if (!ext.empty() || extra_) X().externalFile = ext;
  return true;
}
