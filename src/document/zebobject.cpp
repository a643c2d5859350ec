#include "document/zebobject.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>

#include "document/pathutil.h"
#include "document/recordformat.h"
#include "document/strutil.h"
#include "document/zebpicture.h"
#include "document/zebobject_extra.h"
#include "document/zebset.h"

namespace fs = std::filesystem;

// ---------------------------------------------------------------- object


namespace {

struct NameField {
  int off = -1, len = 0;
};

NameField NameFieldOf(int kind) {
  switch (kind) {
    case testoHtml: case immagine: case mappaClic: return {5, 71};
    case internetLink: return {5, 127};
    case zipLink: case genLink: return {5, 78};
    case keyword: return {0, 79};
    case programma: return {5, 75};
    case mappaFrame: return {5, 79};
    case custom: return {17, 40};
    case dbloc: return {17, 15};
    case immagineNew: return {28, 32};
    case stileParagrafo: case fontFace: return {5, 32};
    case inputStat: case inputDin: case bottoneCGI: return {17, 79};
    case inizioForm: return {17, 255};
    default: return {};
  }
}

uint8_t NewState(int kind) {
  switch (kind) {
    case testoHtml: case immagine: case mappaClic: return 0;
    case internetLink: case genLink: return 4;
    case tabellaHtml: case mappaFrame: return 2;
    case dbloc: return 7;
    default: return 1;
  }
}

std::string Unmark(std::string v) {
  for (auto& c : v) c = c == 2 ? '\r' : c == 3 ? '\n' : c;
  return v;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < text.size()) {
    size_t e = text.find_first_of("\r\n", i);
    if (e == std::string::npos) e = text.size();
    lines.push_back(text.substr(i, e - i));
    if (e + 1 < text.size() && text[e] == '\r' && text[e + 1] == '\n') ++e;
    i = e + 1;
  }
  return lines;
}
}  // namespace

TZEBoggetto::TZEBoggetto(TZEBset* doc, int kind) : doc_(doc), kind_(static_cast<uint8_t>(kind)) {}

TZEBoggetto::~TZEBoggetto() {
  if (!doc_) return;
  if (kind_ == immagine) {
    doc_->Images().CacheRemove(this);
  } else if (kind_ == immagineNew) {
    for (int off : {fld::pictureRef::Picture, fld::pictureRef::HoverPicture})
      if (TZEBoggetto* p = doc_->ObjectAt(immagine, rec_.I32(off)); p && p != this) doc_->Images().CacheRemove(p);
  }
}

TZEBoggetto::Extra& TZEBoggetto::X() {
  if (!extra_) extra_ = std::make_unique<Extra>();
  return *extra_;
}

void TZEBoggetto::SetKind(int kind) {
  if (stored_ && doc_ && kind != kind_) {
    // The slot in the old table is emptied; the object is no longer placed.
    stored_ = false;
  }
  kind_ = static_cast<uint8_t>(kind);
}

void TZEBoggetto::Assign(const TZEBoggetto& o) {
  rec_.Reset(0xFF);
  o.rec_.CopyTo(rec_.Own());
  bool ok = true;
  main_.Reset();
  attr_.Reset();
  if (o.HasMainPayload()) SetMainPayload(o.MainPayload(&ok));
  if (o.attr_.Present()) SetAttrPayload(o.AttrPayload());
  if (!o.ExternalFile().empty()) X().externalFile = o.ExternalFile();
  needsInit = o.needsInit;
}

void TZEBoggetto::Clear() {
  rec_.Reset(kind_ == stileParagrafo ? 0x00 : 0xFF);
  main_.Reset();
  attr_.Reset();
  if (extra_) {
    extra_->externalFile.clear();
    extra_->props.clear();
    extra_->propsBuilt = false;
  }
  NameField nf = NameFieldOf(kind_);
  if (nf.off >= 0) rec_.SetStr(nf.off, nf.len, "");
  const int32_t rev = doc_ ? doc_->Revision() : 0;
  switch (kind_) {
    case testoHtml: {
      SetState(3);
      SetName("Senza titolo " + std::to_string(doc_ ? doc_->NextUntitledNumber() : 1));
      bool d = doc_ != nullptr;
      rec_.SetI32(89, d ? doc_->HeaderI32(hdr::TextColour) : 0);
      rec_.SetI32(93, d ? doc_->HeaderI32(hdr::LinkColour) : 0xFF0000);
      rec_.SetI32(97, d ? doc_->HeaderI32(hdr::VisitedColour) : 0x0000FF);
      rec_.SetI32(101, d ? doc_->HeaderI32(hdr::BackColour) : 0xF0F0F0);
      rec_.SetI32(85, d ? doc_->HeaderI32(hdr::BackPicture) : -1);
      rec_.SetByte(200, 0);
      rec_.SetByte(195, 2);
      rec_.SetI32(196, rev);
      rec_.SetI16(191, 1040);
      rec_.SetByte(189, 1);
      break;
    }
    case internetLink: case genLink: SetState(5); rec_.SetI32(89, rev); break;
    case keyword: SetName("-"); break;
    case immagine: SetState(3); rec_.SetByte(666, 0); rec_.SetI32(77, rev); break;
    case programma: SetState(1); break;
    case tabellaHtml: SetState(0); rec_.Fill(5, 50, 1); break;
    case mappaFrame: SetState(1); SetName("Map"); break;
    case custom: SetState(0); SetName("Custom"); break;
    case dbloc: SetState(0); rec_.SetByte(46, 0); SetName("db"); break;
    case stileParagrafo: {
      rec_.SetStr(39, 32, "Arial");
      rec_.SetI16(72, 10);
      rec_.SetI32(74, 0);
      rec_.SetI16(79, -1);
      rec_.SetI32(81, 0xFF0000);
      rec_.SetByte(85, 4);
      rec_.SetI16(86, 10);
      rec_.SetI16(88, 10);
      rec_.SetI16(94, -32000);
      rec_.SetByte(98, 1);
      break;
    }
    case speclink: case shortObj: case immagineNew: SetState(0); break;
    default:
      if (kind_ >= formato && kind_ <= multiMedia) SetState(0);
      break;
  }
}

void TZEBoggetto::InitNew() {
  SetState(NewState(kind_));
  if (kind_ == testoHtml) SetMainPayload(std::string("<Z S0 >\0", 8));
  StampRevision(doc_ ? doc_->Revision() : 0);
}

void TZEBoggetto::StampRevision(int32_t rev) {
  switch (kind_) {
    case testoHtml: rec_.SetI32(fld::page::Revision, rev); break;
    case zipLink: case genLink: rec_.SetI32(fld::file::Revision, rev); break;
    case immagine: case mappaClic: rec_.SetI32(fld::picture::Revision, rev); break;
    default: break;
  }
}

bool TZEBoggetto::IsDeleted() const {
  const uint8_t s = State();
  switch (kind_) {
    case testoHtml: case immagine: return s == 3;
    case internetLink: case genLink: return s == 5;
    case keyword: return Name() == "-";
    case programma: case mappaFrame: return s == 1;
    case tabellaHtml: case speclink: case shortObj: case custom: case dbloc: return s == 0;
    default: return kind_ >= immagineNew && kind_ <= multiMedia && s == 0;
  }
}

std::string TZEBoggetto::Name() const {
  if (kind_ == speclink || kind_ == shortObj) return ComputedName();
  NameField nf = NameFieldOf(kind_);
  return nf.off >= 0 ? rec_.Str(nf.off, nf.len) : std::string();
}

void TZEBoggetto::SetName(std::string_view name) {
  NameField nf = NameFieldOf(kind_);
  if (nf.off >= 0) rec_.SetStr(nf.off, nf.len, name);
}

std::string TZEBoggetto::FileName() const {
  switch (kind_) {
    case genLink: return rec_.Str(fld::file::Name, fld::file::NameLen);
    case immagine: return rec_.Str(fld::picture::FileName, fld::picture::FileNameLen);
    case programma: return rec_.Str(fld::program::FileName, fld::program::FileNameLen);
    default: return {};
  }
}

// ---------------------------------------------------------------- payloads

std::string TZEBoggetto::ReadPayload(const TPayload& p, bool* ok) const {
  if (ok) *ok = true;
  if (p.mem) return *p.mem;
  if (p.filePos < 0 || p.size == 0) return {};
  // The size comes from the file: nothing is allocated for bytes it does not hold.
  if (!doc_ || !doc_->CanRead(p.filePos, p.size)) {
    if (ok) *ok = false;
    return {};
  }
  std::string out(p.size, '\0');
  if (!doc_->ReadFile(p.filePos, out.data(), out.size())) {
    if (ok) *ok = false;
    return {};
  }
  return out;
}

std::string TZEBoggetto::MainPayload(bool* ok) const { return ReadPayload(main_, ok); }

void TZEBoggetto::SetMainPayload(std::string bytes) {
  main_.Reset();
  main_.mem = std::make_unique<std::string>(std::move(bytes));
  if (extra_) extra_->propsBuilt = false;
}

std::string TZEBoggetto::AttrPayload() const { return ReadPayload(attr_, nullptr); }

void TZEBoggetto::SetAttrPayload(std::string bytes) {
  attr_.Reset();
  attr_.mem = std::make_unique<std::string>(std::move(bytes));
}

std::string TZEBoggetto::AttributeText() const {
  std::string a = AttrPayload();
  if (a.size() < 4) return {};
  int32_t n = GetI32(reinterpret_cast<const uint8_t*>(a.data()));
  if (n < 0 || int64_t(n) > int64_t(a.size()) - 4) return {};
  return a.substr(4 + static_cast<size_t>(n));
}

std::string TZEBoggetto::GetAttribute(std::string_view name) const {
  const std::string text = AttributeText();
  if (str::EqualsNoCase(name, "allfields")) return text;
  auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    while (i < n && isSpace(text[i])) ++i;
    size_t ns = i;
    while (i < n && !isSpace(text[i]) && text[i] != '=') ++i;
    std::string key = text.substr(ns, i - ns);
    std::string value;
    if (i < n && text[i] == '=') {
      ++i;
      if (i < n && (text[i] == '"' || text[i] == '\'')) {
        char q = text[i++];
        size_t e = text.find(q, i);
        if (e == std::string::npos) e = n;
        value = text.substr(i, e - i);
        i = e < n ? e + 1 : n;
      } else {
        size_t vs = i;
        while (i < n && !isSpace(text[i])) ++i;
        value = text.substr(vs, i - vs);
      }
    }
    if (!key.empty() && str::EqualsNoCase(key, name)) return Unmark(value);
    if (key.empty() && i < n) ++i;  // a stray "=": step over it
  }
  return {};
}

// ---------------------------------------------------------------- property list

void TZEBoggetto::BuildPropertyList() {
  Extra& x = X();
  if (x.propsBuilt) return;
  x.props = SplitLines(MainPayload());
  x.propsBuilt = true;
}

std::vector<std::pair<std::string, std::string>> TZEBoggetto::Properties() {
  std::vector<std::pair<std::string, std::string>> out;
  if (kind_ != dbloc) return out;
  BuildPropertyList();
  const auto& p = extra_->props;
  for (size_t i = 0; i < p.size(); i += 2)
    out.emplace_back(str::Lower(p[i]), i + 1 < p.size() ? Unmark(p[i + 1]) : std::string());
  return out;
}

std::string TZEBoggetto::GetProperty(std::string_view name) {
  if (kind_ != dbloc) return {};
  BuildPropertyList();
  const auto& p = extra_->props;
  for (size_t i = 0; i < p.size(); i += 2)
    if (str::EqualsNoCase(p[i], name)) return i + 1 < p.size() ? Unmark(p[i + 1]) : std::string();
  return {};
}

bool TZEBoggetto::SetProperty(std::string_view name, std::string_view value) {
  if (kind_ != dbloc) return false;
  BuildPropertyList();
  std::string key = str::Lower(name);
  std::string v(value);
  for (auto& c : v) c = c == '\r' ? 2 : c == '\n' ? 3 : c;
  auto& p = extra_->props;
  size_t i = 0;
  while (i < p.size() && !str::EqualsNoCase(p[i], key)) i += 2;
  if (i < p.size()) {
    if (v.empty()) {
      p.erase(p.begin() + static_cast<std::ptrdiff_t>(i),
              p.begin() + static_cast<std::ptrdiff_t>(std::min(i + 2, p.size())));
    } else if (i + 1 < p.size()) {
      p[i + 1] = v;
    } else {
      p.push_back(v);
    }
  } else if (!v.empty()) {
    p.push_back(key);
    p.push_back(v);
  }
  std::string text;
  for (auto& l : p) text += l + "\r\n";
  auto keep = std::move(p);
  SetMainPayload(std::move(text));
  extra_->props = std::move(keep);
  extra_->propsBuilt = true;
  if (doc_) doc_->SetModified();
  return true;
}

// ---------------------------------------------------------------- pictures

TZEBpicture* TZEBoggetto::Picture() {
  if (kind_ == immagineNew) {
    if (extra_ && extra_->ownPicture) return extra_->ownPicture.get();
    TZEBoggetto* img = doc_ ? doc_->ObjectAt(immagine, rec_.I32(fld::pictureRef::Picture)) : nullptr;
    return img && img != this ? img->Picture() : nullptr;
  }
  if (kind_ != immagine || !doc_) return nullptr;
  if (TZEBpicture* p = doc_->Images().CachedPicture(this)) return p;
  auto pic = std::make_unique<TZEBpicture>();
  pic->SetImageNameL(ExtractToTemp());
  rec_.SetI16(fld::picture::Width, static_cast<int16_t>(std::min(pic->Width(), 32767)));
  rec_.SetI16(fld::picture::Height, static_cast<int16_t>(std::min(pic->Height(), 32767)));
  TZEBpicture* raw = pic.get();
  doc_->Images().CacheAdd(this, std::move(pic));
  return raw;
}

void TZEBoggetto::SetOwnPicture(std::unique_ptr<TZEBpicture> pic) { X().ownPicture = std::move(pic); }

// ---------------------------------------------------------------- containers

TObjId TZEBoggetto::ContainerId(TZEBtesto* text) {
  if (stored_) return Id();
  if (!text) return NoObject;
  const auto& list = text->Embedded();
  auto it = std::find(list.begin(), list.end(), this);
  int pos = it != list.end() ? static_cast<int>(it - list.begin()) : text->AddEmbedded(this);
  X().containerText = text;
  containerRef_ = 0x6F000000 + pos;
  return containerRef_;
}

bool TZEBoggetto::HasView() const {
  const uint8_t s = State();
  switch (kind_) {
    case tabellaHtml: case dbloc: case multiMedia: case immagineNew: case bottoneCGI: case inizioForm: return true;
    case shortObj: return s == 5 || (s >= 10 && s <= 15) || (s >= 21 && s <= 28);
    case inputStat: return (s >= 1 && s <= 9) || s == 18;
    case inputDin: return s == 2 || s == 6 || s == 7 || s == 11 || s == 12;
    default: return false;
  }
}

TZEBtesto* TZEBoggetto::ContainerText() const { return extra_ ? extra_->containerText : nullptr; }
void* TZEBoggetto::FrameSet() const { return extra_ ? extra_->frameSet : nullptr; }
void TZEBoggetto::SetFrameSet(void* fs) { X().frameSet = fs; }

