#include "document/zebobject.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>

#include "document/pathutil.h"
#include "document/strutil.h"
#include "document/zebpicture.h"
#include "document/zebset.h"

namespace fs = std::filesystem;

// ---------------------------------------------------------------- record

void TRecord::Attach(const uint8_t* base, int size) {
  base_ = base;
  size_ = std::clamp(size, 0, RecordSize);
  own_.reset();
}

void TRecord::Reset(uint8_t fill) {
  base_ = nullptr;
  size_ = 0;
  if (!own_) own_.reset(new uint8_t[RecordSize]);
  std::memset(own_.get(), fill, RecordSize);
}

uint8_t* TRecord::Own() {
  if (!own_) {
    own_.reset(new uint8_t[RecordSize]);
    std::memset(own_.get(), 0xFF, RecordSize);
    if (base_) std::memcpy(own_.get(), base_, size_);
    base_ = nullptr;
  }
  return own_.get();
}

uint8_t TRecord::Byte(int off) const {
  if (off < 0 || off >= RecordSize) return 0xFF;
  if (own_) return own_[off];
  return off < size_ ? base_[off] : 0xFF;
}

int32_t TRecord::I32(int off) const {
  if (own_ && off >= 0 && off + 4 <= RecordSize) return GetI32(own_.get() + off);
  if (base_ && off >= 0 && off + 4 <= size_) return GetI32(base_ + off);
  uint8_t b[4] = {Byte(off), Byte(off + 1), Byte(off + 2), Byte(off + 3)};
  return GetI32(b);
}

int16_t TRecord::I16(int off) const {
  uint8_t b[2] = {Byte(off), Byte(off + 1)};
  return GetI16(b);
}

std::string TRecord::Str(int off, int maxLen) const {
  if (off < 0 || off + 1 + maxLen > RecordSize) return {};
  int n = std::min<int>(Byte(off), maxLen);
  std::string s(n, '\0');
  for (int i = 0; i < n; ++i) s[i] = static_cast<char>(Byte(off + 1 + i));
  return s;
}

void TRecord::Fill(int off, int len, uint8_t v) { std::memset(Own() + off, v, len); }

void TRecord::CopyTo(uint8_t* out) const {
  for (int i = 0; i < RecordSize; ++i) out[i] = Byte(i);
}

// ---------------------------------------------------------------- object

struct TZEBoggetto::Extra {
  std::string externalFile;
  std::vector<std::string> props;
  bool propsBuilt = false;
  TZEBtesto* containerText = nullptr;
  void* frameSet = nullptr;
  std::unique_ptr<TZEBpicture> ownPicture;
};

namespace {
std::atomic<int> g_untitled{0};

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
    doc_->CacheRemove(this);
  } else if (kind_ == immagineNew) {
    for (int off : {0, 9})
      if (TZEBoggetto* p = doc_->ObjectAt(immagine, rec_.I32(off)); p && p != this) doc_->CacheRemove(p);
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
      SetName("Senza titolo " + std::to_string(++g_untitled));
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
    case testoHtml: rec_.SetI32(196, rev); break;
    case zipLink: case genLink: rec_.SetI32(89, rev); break;
    case immagine: case mappaClic: rec_.SetI32(77, rev); break;
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
    case genLink: return rec_.Str(5, 78);
    case immagine: return rec_.Str(94, 75);
    case programma: return rec_.Str(81, 75);
    default: return {};
  }
}

namespace {
// Names and descriptions may follow references to other objects; a damaged
// file can make such references form a loop, so the chain is cut short.
thread_local int g_followDepth = 0;
struct FollowGuard {
  bool ok;
  FollowGuard() : ok(++g_followDepth <= 8) {}
  ~FollowGuard() { --g_followDepth; }
};
}  // namespace

std::string TZEBoggetto::ComputedName() const {
  auto nameOf = [this](int off) {
    FollowGuard guard;
    TZEBoggetto* o = doc_ ? doc_->ObjectById(rec_.I32(off)) : nullptr;
    return guard.ok && o && o != this ? o->Name() : std::string();
  };
  const uint8_t s = State();
  if (kind_ == speclink) {
    switch (s) {
      case 1: return rec_.Byte(18) == 6 ? "--" : nameOf(13);
      case 2: return "Chiudi finestra: " + rec_.Str(19, 44);
      case 3: return "finestra parole chiave";
      case 4: return "pagina precedente";
      case 5: return "pagina successiva";
      case 6: return "Auto import";
      case 7: return "Aggiungi nel carrello della spesa: ";
      case 8: return "Stampa la corrente cornice/frame/finestra.";
      case 9: return "Stampa la cornice/frame: " + rec_.Str(19, 44);
      case 10: return "Collegamento \"plugin\": ";
      default: return {};
    }
  }
  static const char* const captions[] = {"Riferimento a immagine:", "Riferimento a pagina o link:",
                                         "Qui verr\xE0 riportato tutto il testo della pagina:",
                                         "Riferimento a oggetto fondamentale:",
                                         "Qui verr\xE0 riportata la dimensione X",
                                         "Qui verr\xE0 riportata la dimensione Y"};
  switch (s) {
    case 10: return str::DecodeEntities(MainPayload());
    case 11: case 12: return AttributeText().substr(0, 400);
    case 13: return nameOf(5);
    case 14: return "Ancora: a" + std::to_string(rec_.I32(5));
    case 21: case 22: case 23: case 24: return std::string(captions[s - 21]) + " " + nameOf(5);
    case 25: case 26: return captions[s - 21];
    case 27: case 28:
      return HasMainPayload() ? MainPayload() : "File #" + std::to_string(rec_.I32(5));
    default: return {};
  }
}

std::string TZEBoggetto::DescriptionRaw() const {
  if (IsDeleted()) return "Non definito.";
  auto twice = [](const std::string& a, const char* mid, const std::string& b) { return a + "|" + mid + b; };
  switch (kind_) {
    case testoHtml: return twice(Name(), "Collegamento a: ", Name());
    case internetLink: {
      std::string t = Name();
      if (str::StartsWithNoCase(t, "lumo:") && doc_) {
        TEbookLink l = doc_->ResolveEbookLink(t, 0);
        std::string title;
        if (l.same) {
          if (TZEBoggetto* p = doc_->ObjectAt(testoHtml, l.page)) title = p->Name();
        } else {
          title = TZEBset::PageTitleInFile(l.path, l.page);
        }
        if (title.empty()) title = FileNamePart(l.path) + " (" + std::to_string(l.page) + ")";
        return twice(title, "Collegamento a: ", title);
      }
      if (str::StartsWithNoCase(t, "mailto:")) return twice(t.substr(7), "Collegamento a e-mail: ", t.substr(7));
      if (str::StartsWithNoCase(t, "prog:") || str::StartsWithNoCase(t, "run:")) return {};
      return twice(t, "Collegamento a: ", t);
    }
    case genLink: return twice(FileName(), "Collegamento a file: ", FileName());
    case immagine: return Name();
    case speclink: {
      std::string p = MainPayload();
      switch (State()) {
        case 1: {
          FollowGuard guard;
          TZEBoggetto* o = doc_ ? doc_->ObjectById(rec_.I32(13)) : nullptr;
          return guard.ok && o && o != this ? o->Description() : std::string();
        }
        case 3: return "Parole chiave|Collegamento a: finestra parole chiave";
        case 4: return "pagina precedente|Collegamento a: pagina precedente";
        case 5: return "pagina successiva|Collegamento a: pagina successiva";
        case 6: return p.empty() ? "Auto import" : p + "|Auto import:" + p;
        case 7: {
          std::string s = "Aggiungi nel carrello della spesa: " + p;
          return s + "|" + s;
        }
        case 8: return "Stampa la corrente cornice/frame/finestra.|Stampa la corrente cornice/frame/finestra.";
        case 9: {
          std::string f = rec_.Str(19, 44);
          if (str::EqualsNoCase(f, "_showprint")) return "Stampa la cornice/frame: ";
          return "Stampa la cornice/frame: " + f + "|Stampa la cornice/frame: " + f;
        }
        case 10: {
          size_t at = p.find("$$mavo-heads$$");
          if (at != std::string::npos) p.erase(at, 14);
          std::string s = "Collegamento \"plugin\": " + p;
          return s + "|" + s;
        }
        default: return {};
      }
    }
    case shortObj:
      if (State() == 10 && rec_.Byte(17) != 0) return str::DecodeEntities(MainPayload());
      return {};
    case custom: return Name() + "|Custom  " + Name();
    default: return {};
  }
}

std::string TZEBoggetto::Description() const {
  std::string d = DescriptionRaw();
  // A leading "{...}" block carries authoring data, not hint text.
  size_t open = d.find('{');
  if (open != std::string::npos && open <= 1) {
    size_t close = d.find('}', open + 1);
    if (close != std::string::npos) d.erase(0, close + 1);
  }
  return d;
}

// ---------------------------------------------------------------- payloads

std::string TZEBoggetto::ReadPayload(const TPayload& p, bool* ok) const {
  if (ok) *ok = true;
  if (p.mem) return *p.mem;
  if (p.filePos < 0 || p.size == 0) return {};
  std::string out(p.size, '\0');
  if (!doc_ || !doc_->ReadFile(p.filePos, out.data(), out.size())) {
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

// ---------------------------------------------------------------- extraction

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

// ---------------------------------------------------------------- pictures

TZEBpicture* TZEBoggetto::Picture() {
  if (kind_ == immagineNew) {
    if (extra_ && extra_->ownPicture) return extra_->ownPicture.get();
    TZEBoggetto* img = doc_ ? doc_->ObjectAt(immagine, rec_.I32(0)) : nullptr;
    return img && img != this ? img->Picture() : nullptr;
  }
  if (kind_ != immagine || !doc_) return nullptr;
  if (TZEBpicture* p = doc_->CachedPicture(this)) return p;
  auto pic = std::make_unique<TZEBpicture>();
  pic->SetImageNameL(ExtractToTemp());
  rec_.SetI16(85, static_cast<int16_t>(std::min(pic->Width(), 32767)));
  rec_.SetI16(87, static_cast<int16_t>(std::min(pic->Height(), 32767)));
  TZEBpicture* raw = pic.get();
  doc_->CacheAdd(this, std::move(pic));
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

TObjectView* TZEBoggetto::CreateView(void* page) {
  IViewFactory* f = doc_ ? doc_->ViewFactory() : nullptr;
  view_ = f ? f->CreateView(*this, page) : nullptr;
  return view_;
}

TObjectView* TZEBoggetto::CreatePrintView(void* owner) {
  IViewFactory* f = doc_ ? doc_->ViewFactory() : nullptr;
  printView_ = f ? f->CreatePrintView(*this, owner) : nullptr;
  return printView_;
}

TZEBtesto* TZEBoggetto::ContainerText() const { return extra_ ? extra_->containerText : nullptr; }
void* TZEBoggetto::FrameSet() const { return extra_ ? extra_->frameSet : nullptr; }
void TZEBoggetto::SetFrameSet(void* fs) { X().frameSet = fs; }

// ---------------------------------------------------------------- transfer

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
