#include "document/zebset.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <unistd.h>

#include "document/pathutil.h"
#include "document/strutil.h"
#include "document/zebfile.h"
#include "document/zebpicture.h"

namespace fs = std::filesystem;

namespace {

std::atomic<uint32_t> g_instances{0};

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

TZEBset::TZEBset(TServices services) : services_(services), instanceId_(++g_instances) {
  NewDocument();
}

TZEBset::~TZEBset() {
  Clear();
  ClearTables();
  if (!tempFolder_.empty()) {
    std::error_code ec;
    fs::remove_all(fs::path(tempFolder_) / "tmpa", ec);
    fs::remove_all(tempFolder_, ec);
  }
}

bool TZEBset::Say(TMsgKind kind, const std::string& text) {
  if (services_.messages) return services_.messages->Message(kind, text);
  return false;
}

// ---------------------------------------------------------------- lookups

TZEBoggetto* TZEBset::ObjectAt(int kind, int64_t index) const {
  if (index < 0 || index > 0xFFFFFF || kind < 0 || kind > 24) return nullptr;
  if (kind == zipLink || kind == mappaClic) {
    TObjId full = MakeId(kind, static_cast<int32_t>(index));
    for (size_t i = 0; i < oldIds_.size(); ++i) {
      if (oldIds_[i] == full) {
        kind = IdKind(newIds_[i]);
        index = IdIndex(newIds_[i]);
        break;
      }
    }
  }
  const auto& t = tables_[kind];
  return index < static_cast<int64_t>(t.size()) ? t[index].get() : nullptr;
}

TZEBoggetto* TZEBset::ObjectById(TObjId id) const {
  return ObjectAt(IdKind(id), IdIndex(id));
}

int TZEBset::Count(int kind) const {
  if (kind < 0 || kind > 25) return 0;
  return static_cast<int>(tables_[kind].size());
}

TZEBtesto* TZEBset::Page(int index) const {
  return static_cast<TZEBtesto*>(ObjectAt(testoHtml, index));
}

TZEBoggetto* TZEBset::PageFrameLayout(int page) const {
  TZEBoggetto* p = ObjectAt(testoHtml, page);
  if (!p) return nullptr;
  return ObjectAt(mappaFrame, p->Rec().I32(81));
}

std::unique_ptr<TZEBoggetto> TZEBset::NewObject(int kind) {
  std::unique_ptr<TZEBoggetto> o;
  if (kind == testoHtml)
    o = std::make_unique<TZEBtesto>(this);
  else
    o = std::make_unique<TZEBoggetto>(this, kind);
  o->Clear();
  return o;
}

TZEBoggetto* TZEBset::Store(std::unique_ptr<TZEBoggetto> obj) {
  auto& t = tables_[obj->Kind()];
  obj->Place(static_cast<int32_t>(t.size()));
  t.push_back(std::move(obj));
  modified_ = true;
  return t.back().get();
}

// ---------------------------------------------------------------- clear / new

void TZEBset::ClearTables() {
  for (auto& t : tables_) {
    // Objects may look at the document while they go: free them one by one.
    for (auto& o : t) o.reset();
    t.clear();
  }
}

void TZEBset::Clear() {
  bool delonex = false;
  if (TZEBoggetto* p = DocumentProperties(false)) delonex = p->GetProperty("delonex") == "1";
  globalMargin_ = -1;
  globalMarginRead_ = false;
  fontCharSet_ = 255;
  charSet_ = "\xA3\xA3";
  expPrefix_.clear();
  codePage_.reset();
  for (IDocumentView* v : std::vector<IDocumentView*>(views_)) v->DropDisplay();
  ReleaseImageCache();
  ClearTables();
  oldIds_.clear();
  newIds_.clear();
  file_.reset();
  records_.reset();
  if (delonex && !fileName_.empty()) {
    std::error_code ec;
    fs::permissions(fileName_, fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove(fileName_, ec);
  }
  fileName_.clear();
  defStyle_ = defTableStyle_ = nullptr;
  modified_ = false;
  DeleteTempFiles();
}

void TZEBset::DeleteTempFiles() {
  if (tempFolder_.empty()) return;
  std::error_code ec;
  for (fs::directory_iterator it(tempFolder_, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code ec2;
    if (!it->is_directory(ec2)) fs::remove(it->path(), ec2);
  }
}

void TZEBset::InitHeader() {
  header_.fill(0);
  uint8_t* h = header_.data();
  std::memcpy(h, "MAVO", 4);
  PutPString(h + hdr::Title, 255, "Senza titolo");
  h[hdr::LastKind] = 26;
  PutI16(h + hdr::Version, 2);
  PutI32(h + hdr::Revision, 2);
  const uint8_t flags[6] = {0, 0, 0, 1, 0, 1};
  std::memcpy(h + 1636, flags, 6);
  PutPString(h + hdr::FixedFont, 39, "Courier New");
  PutPString(h + hdr::PropFont, 39, "Arial");
  PutI32(h + hdr::DefaultHeader, -1);
  PutI32(h + hdr::DefaultFooter, -1);
  PutI32(h + hdr::BackColour, 0xF0F0F0);
  PutI32(h + hdr::BackPicture, -1);
  PutI16(h + hdr::Language, 0x0409);
  PutI32(h + hdr::TextColour, 0);
  PutI32(h + hdr::LinkColour, 0xFF0000);
  PutI32(h + hdr::VisitedColour, 0x0000FF);
  h[1762] = 1;
  h[hdr::BackAnchoring] = 1;
  std::string user = services_.system ? services_.system->UserName() : std::string();
  PutPString(h + hdr::Author, 79, user);
}

void TZEBset::MakeDefaultStyles() {
  auto s0 = NewObject(stileParagrafo);
  s0->SetState(1);
  s0->SetName("[nessuno stile]");
  defStyle_ = Store(std::move(s0));
  auto s1 = NewObject(stileParagrafo);
  s1->SetState(1);
  s1->SetName("[nessuno stile tabella]");
  s1->Rec().SetI16(86, 0);
  s1->Rec().SetI16(88, 0);
  defTableStyle_ = Store(std::move(s1));
}

void TZEBset::NewDocument() {
  if (OnBeforeNew) OnBeforeNew(*this);
  Clear();
  InitHeader();
  MakeDefaultStyles();
  SetDocProperty("index", "index.htm");
  SetDocProperty("cart", "js.js");
  SetCharSet("iso-8859-1");
  if (OnAfterNew) OnAfterNew(*this);
  modified_ = false;
  int cp = services_.system ? services_.system->AnsiCodePage() : 0;
  if (cp == 1250 || cp == 1251 || (cp >= 1253 && cp <= 1258)) SetCharSet("windows-" + std::to_string(cp));
}

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
    Say(TMsgKind::Information, "Errore nella lettura file: " + path);
  }
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

namespace {

struct PayloadFields {
  int mainSizeOff = -1;  // -1: no main payload
  bool mainSize16 = false;
  int attrPosOff = -1, attrSizeOff = -1;
};

PayloadFields FieldsOf(int kind) {
  switch (kind) {
    case testoHtml: return {185, false, 239, 243};
    case zipLink: case genLink: case mappaFrame: return {85, false, -1, -1};
    case immagine: case mappaClic: return {174, false, -1, -1};
    case tabellaHtml: return {85, true, 58, 62};
    case speclink: return {5, false, 39, 43};
    case shortObj: return {13, false, 20, 24};
    case custom: return {13, false, 72, 76};
    case dbloc: return {13, false, 38, 42};
    case immagineNew: return {-1, false, 61, 65};
    case inputStat: return {13, false, 184, 188};
    case inputDin: return {13, false, 452, 456};
    case bottoneCGI: return {-1, false, 195, 199};
    case inizioForm: return {-1, false, 356, 360};
    case multiMedia: return {13, false, 38, 42};
    default: return {};
  }
}

bool FileBacked(int kind) {
  return kind == zipLink || kind == genLink || kind == immagine || kind == mappaClic;
}

}  // namespace

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
  UpgradeRecord(*o, recSize);

  const PayloadFields f = FieldsOf(kind);
  const TRecord& r = o->Rec();
  if (f.mainSizeOff >= 0 && !o->IsDeleted()) {
    int64_t size = f.mainSize16 ? r.I16(f.mainSizeOff) : r.I32(f.mainSizeOff);
    if (kind == tabellaHtml && r.I32(81) == 0) size = 0;
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
  if (kind == immagineNew && r.Byte(13) > 253 && o->AttrRef().Present()) {
    std::string attr = o->AttrPayload();
    if (attr.size() >= 24 && GetI32(reinterpret_cast<const uint8_t*>(attr.data())) == 20) {
      std::memcpy(o->Rec().Own() + 556, attr.data() + 4, 20);
      std::string rest(4, '\0');
      rest += attr.substr(24);
      o->SetAttrPayload(std::move(rest));
    }
  }
  tables_[kind].push_back(std::move(o));
}

void TZEBset::UpgradeRecord(TZEBoggetto& o, int recSize) {
  TRecord& r = o.Rec();
  const int32_t rev = Revision();
  switch (o.Kind()) {
    case testoHtml:
      if (recSize <= 242) {
        r.SetI16(191, 1040);
        r.SetByte(195, 1);
        r.SetI32(196, rev - 1);
        r.SetByte(200, 0);
        r.SetI16(221, 5);
        for (int off : {223, 227, 231, 235}) r.SetI32(off, -1);
        r.SetByte(194, 0);
      }
      break;
    case internetLink: {
      uint8_t st = r.Byte(4);
      if (st < 5 || st > 8) {
        std::string target = r.Str(5, 127);
        if (str::StartsWithNoCase(target, "lumo:")) r.SetByte(4, 6);
        else if (str::StartsWithNoCase(target, "http:")) r.SetByte(4, 7);
        else if (str::StartsWithNoCase(target, "mailto:")) r.SetByte(4, 8);
      }
      break;
    }
    case zipLink:
    case genLink:
      if (recSize <= 92) {
        r.SetI32(89, rev - 1);
        if (r.Byte(5) > 78) r.SetByte(5, 78);
      }
      break;
    case immagine:
    case mappaClic:
      if (recSize <= 666) {
        if (o.Kind() == immagine && r.Byte(94) == 0) o.needsInit = true;
        if (r.Byte(94) > 75) r.SetByte(94, 75);
        if (o.Kind() == immagine) {
          r.SetI32(662, -1);
          r.SetByte(666, 0);
          r.SetI32(77, rev - 1);
        }
      }
      break;
    case tabellaHtml:
      if (recSize <= 219) {
        r.SetByte(219, 1);
        r.SetI16(56, 300);
        uint8_t widths[50];
        for (int i = 0; i < 50; ++i) widths[i] = r.Byte(97 + i);
        r.Fill(5, 50, 0);
        for (int i = 0; i < 50; ++i) r.SetI16(97 + 2 * i, widths[i]);
        r.SetByte(55, 1);
      }
      break;
    case bottoneCGI:
      if (recSize < 195) r.SetI16(186, -1);
      break;
    case multiMedia: {
      uint8_t st = r.Byte(4);
      if (st != 5 && st != 6) {
        int32_t id = r.I32(17);
        if (id != -1) r.SetI32(17, id | 0x03000000);
      }
      break;
    }
    default:
      break;
  }
}

void TZEBset::ConvertVersion1() {
  auto convert = [this](int from, int to) {
    for (auto& o : tables_[from]) {
      if (!o || o->IsDeleted()) continue;
      TObjId oldId = o->Id();
      int32_t oldIndex = o->Index();
      o->kind_ = static_cast<uint8_t>(to);
      o->Place(static_cast<int32_t>(tables_[to].size()));
      if (from == mappaClic) {
        o->Rec().SetI32(662, oldIndex);
        o->Rec().SetByte(666, 0);
        o->Rec().SetI32(77, Revision() - 1);
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

// ---------------------------------------------------------------- properties

TZEBoggetto* TZEBset::DocumentProperties(bool create) {
  TZEBoggetto* o = ObjectById(HeaderI32(hdr::Properties));
  if (o && o->Kind() == dbloc) return o;
  if (!create) return nullptr;
  auto n = NewObject(dbloc);
  n->InitNew();
  n->Rec().SetByte(46, 1);
  o = Store(std::move(n));
  PutI32(header_.data() + hdr::Properties, o->Id());
  return o;
}

std::string TZEBset::GetDocProperty(const std::string& name) {
  TZEBoggetto* p = DocumentProperties(false);
  return p ? p->GetProperty(name) : std::string();
}

void TZEBset::SetDocProperty(const std::string& name, const std::string& value) {
  DocumentProperties(true)->SetProperty(name, value);
}

std::vector<std::pair<std::string, std::string>> TZEBset::DocProperties() {
  TZEBoggetto* p = DocumentProperties(false);
  return p ? p->Properties() : std::vector<std::pair<std::string, std::string>>{};
}

static TZEBoggetto* TreeObject(TZEBset& d, int off) {
  TZEBoggetto* o = d.ObjectById(d.HeaderI32(off));
  if (d.HeaderI32(off) > 0 && o && o->Kind() == shortObj) return o;
  auto n = d.NewObject(shortObj);
  n->InitNew();
  o = d.Store(std::move(n));
  PutI32(d.MutableHeader() + off, o->Id());
  return o;
}

TZEBoggetto* TZEBset::ContentsTreeObject() { return TreeObject(*this, hdr::ContentsTree); }
TZEBoggetto* TZEBset::CustomTreeObject() { return TreeObject(*this, hdr::CustomTree); }

std::string TZEBset::ExpPrefix() {
  if (expPrefix_.empty()) {
    expPrefix_ = GetDocProperty("extendedprefix");
    if (expPrefix_.empty()) expPrefix_ = HeaderString(hdr::ExportPrefix, 16);
  }
  return str::Lower(expPrefix_);
}

void TZEBset::SetExpPrefix(const std::string& v) {
  expPrefix_ = v;
  PutPString(header_.data() + hdr::ExportPrefix, 16, v.substr(0, 16));
  if (v.size() > 16) {
    SetDocProperty("extendedprefix", v);
  } else if (TZEBoggetto* p = DocumentProperties(false)) {
    // Only an existing long prefix is kept in step with the header.
    bool exists = false;
    for (auto& kv : p->Properties()) exists |= kv.first == "extendedprefix";
    if (exists) p->SetProperty("extendedprefix", v);
  }
}

std::string TZEBset::CharSet() {
  if (charSet_ == "\xA3\xA3") charSet_ = GetDocProperty("CharSet");
  return charSet_;
}

void TZEBset::SetCharSet(const std::string& v) {
  charSet_ = v;
  codePage_.reset();
  SetDocProperty("CharSet", v);
}

int TZEBset::FontCharSet() {
  if (fontCharSet_ == 255) {
    std::string v = GetDocProperty("FCharSet");
    fontCharSet_ = (v.empty() || v == "1") ? 1 : str::ToIntDef(v, 1);
    if (fontCharSet_ < 0 || fontCharSet_ > 255) fontCharSet_ = 1;
  }
  return fontCharSet_;
}

void TZEBset::SetFontCharSet(int v) {
  fontCharSet_ = v;
  SetDocProperty("FCharSet", std::to_string(v));
}

int TZEBset::GlobalMargin() {
  if (!globalMarginRead_) {
    globalMargin_ = str::ToIntDef(GetDocProperty("GlobalMargin"), -1);
    globalMarginRead_ = true;
  }
  return globalMargin_;
}

const TCodePage& TZEBset::CodePage() {
  if (!codePage_) codePage_ = std::make_unique<TCodePage>(CharSet());
  return *codePage_;
}

// ---------------------------------------------------------------- views

void TZEBset::AttachView(IDocumentView* v) {
  if (std::find(views_.begin(), views_.end(), v) == views_.end()) views_.push_back(v);
}

void TZEBset::DetachView(IDocumentView* v) {
  views_.erase(std::remove(views_.begin(), views_.end(), v), views_.end());
}

TZEBoggetto* TZEBset::FindFrameInOtherViews(const std::string& name, IDocumentView* skip) {
  for (IDocumentView* v : views_)
    if (v != skip)
      if (TZEBoggetto* f = v->FindFrameByName(name)) return f;
  return nullptr;
}

// ---------------------------------------------------------------- picture cache

TZEBpicture* TZEBset::CachedPicture(const TZEBoggetto* obj) const {
  for (auto& [o, p] : cache_)
    if (o == obj) return p.get();
  return nullptr;
}

void TZEBset::CacheAdd(TZEBoggetto* obj, std::unique_ptr<TZEBpicture> pic) {
  if (!obj || obj->Kind() != immagine) {
    Say(TMsgKind::Error, "What happens? Image cache bug?");
    return;
  }
  if (CachedPicture(obj)) return;
  cache_.emplace_back(obj, std::move(pic));
  int res = services_.system ? services_.system->FreeResourcesPercent() : 100;
  // One eviction per addition, and never the picture just added: the caller
  // is about to use it.
  if (cache_.size() > 1 &&
      (static_cast<int>(cache_.size()) > MaxCacheImg || (cache_.size() > 2 && res < 19)))
    Evict(0);
}

void TZEBset::Evict(size_t i) {
  TZEBpicture* pic = cache_[i].second.get();
  for (IImageView* v : std::vector<IImageView*>(imageViews_))
    if (v->ShowsPicture(pic)) v->DropPicture();
  cache_.erase(cache_.begin() + static_cast<std::ptrdiff_t>(i));
}

void TZEBset::CacheRemove(const TZEBoggetto* obj) {
  if (releasing_) return;
  for (size_t i = 0; i < cache_.size(); ++i)
    if (cache_[i].first == obj) {
      Evict(i);
      return;
    }
}

void TZEBset::ReleaseImageCache(bool atExit) {
  if (releasing_) return;
  releasing_ = true;
  if (atExit) {
    imageViews_.clear();
  } else {
    for (IImageView* v : std::vector<IImageView*>(imageViews_)) {
      bool shows = false;
      for (auto& pr : cache_) shows |= v->ShowsPicture(pr.second.get());
      if (shows) {
        v->DropPicture();
        UnregisterImageView(v);
      }
    }
  }
  while (!cache_.empty()) Evict(0);
  releasing_ = false;
}

void TZEBset::RegisterImageView(IImageView* v) {
  if (std::find(imageViews_.begin(), imageViews_.end(), v) == imageViews_.end()) imageViews_.push_back(v);
}

void TZEBset::UnregisterImageView(IImageView* v) {
  imageViews_.erase(std::remove(imageViews_.begin(), imageViews_.end(), v), imageViews_.end());
}

// ---------------------------------------------------------------- file access

bool TZEBset::ReadFile(int64_t pos, void* buf, size_t n) const {
  return file_ && file_->ReadAt(pos, buf, n);
}

int64_t TZEBset::FileSize() const { return file_ ? file_->Size() : 0; }
