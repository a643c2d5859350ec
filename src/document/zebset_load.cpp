// Reading an ebook file into the document: header checks, the object
// directory, records and where their payloads lie.
#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "document/pathutil.h"
#include "document/recordformat.h"
#include "document/strutil.h"
#include "document/zebfile.h"
#include "document/zebset.h"

namespace fs = std::filesystem;

namespace {

struct ReadError : std::runtime_error {
  ReadError() : std::runtime_error("read error") {}
};

// Export prefix made from a file name: only printable characters, at most
// eight of them, lower case, without extension.
std::string PrefixFromFileName(const std::string& path) {
  std::string name = fs::path(NativePath(path)).filename().string();
  for (auto& c : name) {
    auto u = static_cast<unsigned char>(c);
    bool ok = (u >= 33 && u <= 59) || (u >= 64 && u <= 126) || u >= 128;
    if (!ok) c = '_';
  }
  name = str::Lower(name.substr(0, 8));
  auto dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

const char* const kPreBuild098 =
    "Attenzione: file salvato con una versione del programma\ranteriore alla 0.98. Non più supportato. UNSUPPORTED\r";
const char* const kUnsupported =
    "File non supportato dalla corrente versione del programma.\r"
    "Contattare Norvane per avere una versione aggiornata del programma.";

}  // namespace

// ---------------------------------------------------------------- open

bool TZEBset::Open(const std::string& path) {
  if (OnBeforeNew) OnBeforeNew(*this);
  std::error_code ec;
  if (path.empty() || !fs::exists(path, ec)) {
    Say(TMsgKind::Warning, path + " non esiste");
    return false;
  }
  auto pump = [this] {
    if (services_.messages)
      for (int i = 0; i < 25; ++i) services_.messages->ProcessMessages();
  };
  pump();
  Clear();
  pump();
  if (services_.messages) services_.messages->BusyCursor(true);
  LoadResult r;
  try {
    r = Load(path);
  } catch (const std::exception&) {
    r = LoadResult::Refused;
  }
  if (r == LoadResult::Empty) {
    NewDocument();
    SetExpPrefix(PrefixFromFileName(path));
  }
  fileName_ = path;
  if (OnAfterNew) OnAfterNew(*this);
  if (r == LoadResult::Refused) {
    NewDocument();
    Say(TMsgKind::Information, ReadErrorText(path));
  }
  openedWhole_ = r == LoadResult::Ok;
  if (services_.messages) services_.messages->BusyCursor(false);
  modified_ = false;
  return r != LoadResult::Refused;
}

TZEBset::LoadResult TZEBset::Load(const std::string& path) {
  auto f = std::make_unique<TZebFile>();
  if (!f->Open(path)) return LoadResult::Refused;
  int64_t size = f->Size();
  if (size == 0) return LoadResult::Empty;
  if (size < HeaderSize) return LoadResult::Refused;
  if (!f->ReadAt(0, header_.data(), HeaderSize)) return LoadResult::Refused;
  file_ = std::move(f);
  if (!AcceptHeader(path)) {
    file_.reset();
    return LoadResult::Refused;
  }
  LoadRecords(header_[hdr::LastKind], size);
  return LoadResult::Ok;
}

bool TZEBset::AcceptHeader(const std::string& path) {
  uint8_t* h = header_.data();
  if (str::Upper(std::string(reinterpret_cast<char*>(h), 4)) != "MAVO") {
    Say(TMsgKind::Information, "Formato sconosciuto.");
    return false;
  }
  int version = GetI16(h + hdr::Version);
  int k = h[hdr::LastKind];
  if (version == 1) {
    if (k < 8) {
      Say(TMsgKind::Information, kPreBuild098);
      return false;
    }
    for (int off : {1363, 1380, 1460, 1540}) h[off] = 0;
    PutPString(h + hdr::ExportPrefix, 16, PrefixFromFileName(path));
    PutI32(h + hdr::DefaultHeader, -1);
    PutI32(h + hdr::DefaultFooter, -1);
    PutI32(h + hdr::ContentsTree, 0);
    PutI32(h + hdr::CustomTree, 0);
    PutI32(h + hdr::BackColour, 0xF0F0F0);
    PutI32(h + hdr::TextColour, 0);
    PutI32(h + hdr::LinkColour, 0xFF0000);
    PutI32(h + hdr::VisitedColour, 0x0000FF);
    PutI32(h + hdr::BackPicture, -1);
    PutI16(h + hdr::Language, 0x0409);
  }
  if (version > 2 || version < 1) {
    Say(TMsgKind::Error, kUnsupported);
    return false;
  }
  if (k > 26) {
    Say(TMsgKind::Information, kUnsupported);
    return false;
  }
  return true;
}


void TZEBset::LoadRecords(int lastKind, int64_t fileSize) {
  const int entries = lastKind + 1;
  const int64_t dirPos = HeaderSize;
  const int64_t recordBase = dirPos + 12 * int64_t(entries) + 4;
  if (recordBase > fileSize) throw ReadError();
  std::vector<uint8_t> dir(12 * entries + 4);
  if (!file_->ReadAt(dirPos, dir.data(), dir.size())) throw ReadError();
  const int32_t areaLen = GetI32(dir.data() + 12 * entries);
  if (areaLen < 0) throw ReadError();
  const int64_t blobBase = recordBase + areaLen;

  // Every kind's records must lie inside the file, and together they cannot
  // take more bytes than the file has: counts are never trusted on their own.
  struct Span { int64_t start = 0, recSize = 0, count = 0; };
  std::array<Span, KindCount> spans{};
  int64_t lo = INT64_MAX, hi = 0, total = 0;
  const int kinds = std::min(lastKind, 26);
  for (int k = 0; k <= kinds; ++k) {
    const uint8_t* e = dir.data() + 12 * k;
    Span s{recordBase + GetI32(e), GetI32(e + 4), GetI32(e + 8)};
    if (s.count <= 0) continue;
    if (s.recSize < 5 || s.start < 0) throw ReadError();
    int64_t end = s.start + s.recSize * s.count;
    if (end > fileSize) throw ReadError();
    total += s.recSize * s.count;
    if (total > fileSize) throw ReadError();
    lo = std::min(lo, s.start);
    hi = std::max(hi, end);
    spans[k] = s;
  }
  if (hi > lo) {
    records_.reset(new uint8_t[hi - lo]);
    if (!file_->ReadAt(lo, records_.get(), hi - lo)) throw ReadError();
  }
  for (int k = 0; k <= kinds; ++k) {
    const Span& s = spans[k];
    tables_[k].reserve(s.count);
    for (int64_t i = 0; i < s.count; ++i) {
      const uint8_t* rec = records_.get() + (s.start - lo) + i * s.recSize;
      LoadObject(k, static_cast<int32_t>(i), rec, static_cast<int>(s.recSize), blobBase, fileSize);
    }
  }
  if (Version() == 1) ConvertVersion1();
  if (!tables_[stileParagrafo].empty()) {
    if (tables_[stileParagrafo].size() < 2) throw ReadError();
    defStyle_ = tables_[stileParagrafo][0].get();
    defTableStyle_ = tables_[stileParagrafo][1].get();
  } else {
    MakeDefaultStyles();
  }
  const int pages = Count(testoHtml);
  for (int off : {hdr::CoverPage, hdr::SummaryPage}) {
    int32_t v = HeaderI32(off);
    if (v < 0 || v >= pages) PutI32(header_.data() + off, 0);
  }
}

void TZEBset::LoadObject(int kind, int32_t index, const uint8_t* rec, int recSize, int64_t blobBase,
                         int64_t fileSize) {
  std::unique_ptr<TZEBoggetto> o;
  if (kind == testoHtml)
    o = std::make_unique<TZEBtesto>(this);
  else
    o = std::make_unique<TZEBoggetto>(this, kind);
  o->Place(index);
  o->AttachRecord(rec, std::min(recSize, RecordSize));
  UpgradeRecord(*o, recSize, Revision());

  const PayloadFields f = FieldsOf(kind);
  const TRecord& r = o->Rec();
  if (f.mainSizeOff >= 0 && !o->IsDeleted()) {
    int64_t size = f.mainSize16 ? r.I16(f.mainSizeOff) : r.I32(f.mainSizeOff);
    if (kind == tabellaHtml && r.I32(fld::table::HasMain) == 0) size = 0;
    int32_t rel = r.I32(0);
    if (kind == multiMedia && rel == -1) rel = 0;
    int64_t pos = blobBase + rel;
    if (size > 0 && pos >= 0 && pos < fileSize) {
      // Payloads that are copied at load time must be readable whole.
      if (!FileBacked(kind) && pos + size > fileSize) throw ReadError();
      o->MainRef().filePos = pos;
      o->MainRef().size = static_cast<uint32_t>(size);
    } else if (size > 0 && kind == testoHtml && recSize <= 242) {
      o->needsInit = true;
    } else if (size > 0 && pos >= fileSize) {
      // The file was cut short: the payload is kept where it should be, so
      // that reading it fails and says so instead of showing nothing.
      o->MainRef().filePos = pos;
      o->MainRef().size = static_cast<uint32_t>(size);
    }
  }
  if (f.attrPosOff >= 0) {
    int64_t rel = r.I32(f.attrPosOff), size = r.I32(f.attrSizeOff);
    if (rel < 0 || size < 0) rel = size = 0;
    int64_t pos = blobBase + rel;
    if (size > 0 && pos < fileSize) {
      if (pos + size > fileSize) throw ReadError();
      o->AttrRef().filePos = pos;
      o->AttrRef().size = static_cast<uint32_t>(size);
    }
  }
  // The extended picture reference keeps 20 bytes of its layout in the record.
  if (kind == immagineNew && r.Byte(fld::pictureRef::Placement) >= fld::pictureRef::FirstAbsolutePlacement &&
      o->AttrRef().Present()) {
    std::string attr = o->AttrPayload();
    constexpr int n = fld::pictureRef::ExtendedSize;
    if (attr.size() >= 4 + n && GetI32(reinterpret_cast<const uint8_t*>(attr.data())) == n) {
      std::memcpy(o->Rec().Own() + fld::pictureRef::Extended, attr.data() + 4, n);
      std::string rest(4, '\0');
      rest += attr.substr(4 + n);
      o->SetAttrPayload(std::move(rest));
    }
  }
  tables_[kind].push_back(std::move(o));
}

void TZEBset::ConvertVersion1() {
  auto convert = [this](int from, int to) {
    for (auto& o : tables_[from]) {
      if (!o || o->IsDeleted()) continue;
      TObjId oldId = o->Id();
      int32_t oldIndex = o->Index();
      o->SetKind(to);
      o->Place(static_cast<int32_t>(tables_[to].size()));
      if (from == mappaClic) {
        o->Rec().SetI32(fld::picture::OldIndex, oldIndex);
        o->Rec().SetByte(fld::picture::OldFlag, 0);
        o->Rec().SetI32(fld::picture::Revision, Revision() - 1);
      }
      oldIds_.push_back(oldId);
      newIds_.push_back(o->Id());
      tables_[to].push_back(std::move(o));
    }
    tables_[from].clear();
  };
  convert(zipLink, genLink);
  convert(mappaClic, immagine);
}

