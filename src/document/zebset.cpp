#include "document/zebset.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <unistd.h>

#include "document/pathutil.h"
#include "document/recordformat.h"
#include "document/strutil.h"
#include "document/zebfile.h"
#include "document/zebpicture.h"

namespace fs = std::filesystem;

// The instance number only tells live documents' folders apart at a glance;
// the folder itself is made unique by the system.
TZEBset::TZEBset(TServices services)
    : services_(services), instanceId_(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this) >> 4)) {
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
  return ObjectAt(mappaFrame, p->Rec().I32(fld::page::FrameMap));
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
  if (deleteOnCloseAllowed_ && openedWhole_)
    if (TZEBoggetto* p = DocumentProperties(false)) delonex = p->GetProperty("delonex") == "1";
  openedWhole_ = false;
  readFailed_ = false;
  globalMargin_ = -1;
  globalMarginRead_ = false;
  fontCharSet_ = 255;
  charSet_ = "\xA3\xA3";
  expPrefix_.clear();
  codePage_.reset();
  for (IDocumentView* v : std::vector<IDocumentView*>(views_)) v->DropDisplay();
  images_.ReleaseImageCache();
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

// ---------------------------------------------------------------- properties

TZEBoggetto* TZEBset::DocumentProperties(bool create) {
  TZEBoggetto* o = ObjectById(HeaderI32(hdr::Properties));
  if (o && o->Kind() == dbloc) return o;
  if (!create) return nullptr;
  auto n = NewObject(dbloc);
  n->InitNew();
  n->Rec().SetByte(fld::props::Role, fld::props::DocumentProperties);
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

// ---------------------------------------------------------------- file access

bool TZEBset::ReadFile(int64_t pos, void* buf, size_t n) const {
  if (!file_) return false;
  if (file_->ReadAt(pos, buf, n)) return true;
  NoteReadFailure();
  return false;
}

bool TZEBset::ReadFileQuietly(int64_t pos, void* buf, size_t n) const { return file_ && file_->ReadAt(pos, buf, n); }

bool TZEBset::CanRead(int64_t pos, int64_t n) const {
  if (!file_) return false;
  if (pos >= 0 && n >= 0 && pos <= FileSize() - n) return true;
  NoteReadFailure();
  return false;
}

void TZEBset::NoteReadFailure() const {
  if (readFailed_) return;
  readFailed_ = true;
  if (OnReadFailure)
    OnReadFailure(fileName_);
  else if (services_.messages)
    services_.messages->Message(TMsgKind::Error, ReadErrorText(fileName_));
}

int64_t TZEBset::FileSize() const { return file_ ? file_->Size() : 0; }
