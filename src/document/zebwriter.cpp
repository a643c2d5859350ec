#include "document/zebwriter.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <stdexcept>

namespace {

// Where a kind keeps the position and size of its payloads. -1: no such field.
struct TPayloadFields {
  int mainSize = -1;   // int32 size (int16 for tabellaHtml)
  int attrPos = -1;
  int attrSize = -1;
};

TPayloadFields PayloadFields(int kind) {
  switch (kind) {
    case testoHtml: return {185, 239, 243};
    case zipLink: case genLink: case mappaFrame: return {85, -1, -1};
    case immagine: case mappaClic: return {174, -1, -1};
    case tabellaHtml: return {85, 58, 62};
    case speclink: return {5, 39, 43};
    case shortObj: return {13, 20, 24};
    case custom: return {13, 72, 76};
    case dbloc: return {13, 38, 42};
    case immagineNew: return {-1, 61, 65};
    case inputStat: return {13, 184, 188};
    case inputDin: return {13, 452, 456};
    case bottoneCGI: return {-1, 195, 199};
    case inizioForm: return {-1, 356, 360};
    case multiMedia: return {13, 38, 42};
    default: return {};
  }
}

// State byte of a freshly made object (the "new" or normal subtype).
int NewState(int kind) {
  switch (kind) {
    case internetLink: case zipLink: case genLink: return 4;
    case tabellaHtml: case mappaFrame: return 2;
    case dbloc: return 7;
    case speclink: case shortObj: case custom: case immagineNew: case stileParagrafo:
    case fontFace: case formato: case inputStat: case inputDin: case bottoneCGI:
    case inizioForm: case multiMedia: return 1;
    default: return 0;  // testoHtml, immagine, mappaClic, programma, keyword (no state byte)
  }
}

int32_t CheckedI32(int64_t v, const char* what) {
  if (v < 0 || v > std::numeric_limits<int32_t>::max())
    throw std::length_error(std::string("ZEB file too large: ") + what);
  return static_cast<int32_t>(v);
}

void PutIfFits(std::vector<uint8_t>& rec, int off, int32_t v) {
  if (off >= 0 && off + 4 <= int(rec.size())) PutI32(rec.data() + off, v);
}

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}

// Document properties are stored one line per name and value; line breaks
// inside a value would split it, so they travel as bytes 2 and 3.
std::string EncodePropertyValue(const std::string& v) {
  std::string out = v;
  for (char& c : out) {
    if (c == '\r') c = '\x02';
    else if (c == '\n') c = '\x03';
  }
  return out;
}

}  // namespace

int DefaultRecordSize(int kind) {
  switch (kind) {
    case testoHtml: return 247;
    case internetLink: return 133;
    case zipLink: case genLink: return 93;
    case keyword: return 80;
    case immagine: case mappaClic: return 667;
    case programma: return 161;     // program file string[79] at 81
    case tabellaHtml: return 220;
    case mappaFrame: return 89;
    case speclink: return 64;       // the long frame-name form, string[44] at 19
    case shortObj: return 28;
    case custom: return 80;
    case dbloc: return 47;
    case immagineNew: return 576;   // extended block of 20 bytes at 556
    case stileParagrafo: return 103;
    case fontFace: return 38;
    case inputStat: return 192;
    case inputDin: return 460;
    case bottoneCGI: return 203;
    case inizioForm: return 364;
    case multiMedia: return 46;
    default: return 8;              // spazio4, spazio5, formato, none, testoHtmlRtf
  }
}

TZebWriter::TZebWriter() {
  for (int k = 0; k < KindCount; ++k) recSize_[k] = DefaultRecordSize(k);
  uint8_t* h = header_.data();
  std::memcpy(h, "MAVO", 4);
  SetTitle("Senza titolo");
  h[1620] = 26;
  PutI16(h + 1621, 2);
  PutI32(h + 1632, 2);           // document revision
  h[1639] = 1;
  h[1641] = 1;
  PutPString(h + 1642, 39, "Courier New");
  PutPString(h + 1682, 39, "Arial");
  PutI32(h + 1724, -1);
  PutI32(h + 1728, -1);
  PutI32(h + 1736, 0xF0F0F0);
  PutI32(h + 1740, -1);
  PutI16(h + 1744, 0x0409);
  PutI32(h + 1746, 0x000000);
  PutI32(h + 1750, 0xFF0000);
  PutI32(h + 1754, 0x0000FF);
  PutI32(h + 1758, -1);          // no document properties yet
  h[1762] = 1;
  h[1784] = 1;
}

// The title has no fixed maximum; its length byte allows 255 characters.
void TZebWriter::SetTitle(const std::string& title) { PutPString(header_.data() + 4, 255, title); }
void TZebWriter::SetAuthor(const std::string& s) { PutPString(header_.data() + 1540, 79, s); }
void TZebWriter::SetCompany(const std::string& s) { PutPString(header_.data() + 1380, 79, s); }
void TZebWriter::SetRights(const std::string& s) { PutPString(header_.data() + 1460, 79, s); }
void TZebWriter::SetExportPrefix(const std::string& s) { PutPString(header_.data() + 1346, 16, s); }

void TZebWriter::SetHeaderI32(int offset, int32_t v) {
  if (offset >= 0 && offset + 4 <= ZebHeaderSize) PutI32(header_.data() + offset, v);
}
void TZebWriter::SetHeaderI16(int offset, int16_t v) {
  if (offset >= 0 && offset + 2 <= ZebHeaderSize) PutI16(header_.data() + offset, v);
}
void TZebWriter::SetHeaderByte(int offset, uint8_t v) {
  if (offset >= 0 && offset < ZebHeaderSize) header_[offset] = v;
}

int32_t TZebWriter::Revision() const { return GetI32(header_.data() + 1632); }

std::vector<uint8_t> TZebWriter::NewRecord(int kind) const {
  if (kind < 0 || kind >= KindCount) throw std::out_of_range("NewRecord: bad kind");
  std::vector<uint8_t> rec(std::max(recSize_[kind], 5), 0);
  if (kind != keyword) rec[4] = static_cast<uint8_t>(NewState(kind));
  return rec;
}

std::vector<uint8_t> TZebWriter::FullRecord(int kind) const {
  std::vector<uint8_t> rec = NewRecord(kind);
  rec.resize(std::max<size_t>(rec.size(), ZebRecordMax), 0);
  return rec;
}

int TZebWriter::Add(int kind, std::vector<uint8_t> record, std::vector<uint8_t> mainPayload,
                    std::vector<uint8_t> attrPayload) {
  if (kind < 0 || kind >= KindCount) throw std::out_of_range("Add: bad kind");
  TPayloadFields f = PayloadFields(kind);
  if (!mainPayload.empty() && f.mainSize < 0)
    throw std::invalid_argument("Add: this kind has no main payload");
  if (!attrPayload.empty() && f.attrPos < 0)
    throw std::invalid_argument("Add: this kind has no attribute payload");
  if (kind == tabellaHtml && mainPayload.size() > size_t(std::numeric_limits<int16_t>::max()))
    throw std::length_error("Add: table payload above 32767 bytes");
  // Kept at full length so that a later SetRecordSize neither loses fields
  // nor leaves them out; Build cuts each record to its kind's size.
  record.resize(std::max(recSize_[kind], ZebRecordMax), 0);
  objs_[kind].push_back({std::move(record), std::move(mainPayload), std::move(attrPayload)});
  return int(objs_[kind].size()) - 1;
}

int TZebWriter::Count(int kind) const {
  return kind >= 0 && kind < KindCount ? int(objs_[kind].size()) : 0;
}

std::vector<uint8_t>& TZebWriter::RecordOf(int kind, int index) {
  return objs_.at(kind).at(index).record;
}

int TZebWriter::AddPage(const std::string& title, const std::string& markup, int sequence,
                        int position, int header, int footer) {
  const uint8_t* h = header_.data();
  std::vector<uint8_t> rec = FullRecord(testoHtml);
  uint8_t* r = rec.data();
  PutPString(r + 5, 71, title);
  PutI16(r + 77, static_cast<int16_t>(sequence));
  PutI16(r + 79, static_cast<int16_t>(position));
  PutI32(r + 81, -1);                     // no frame map
  PutI32(r + 85, GetI32(h + 1740));       // background picture
  PutI32(r + 89, GetI32(h + 1746));
  PutI32(r + 93, GetI32(h + 1750));
  PutI32(r + 97, GetI32(h + 1754));
  PutI32(r + 101, GetI32(h + 1736));
  for (int off = 105; off < 185; off += 4) PutI32(r + off, -1);
  r[189] = 1;
  PutI16(r + 191, 1040);
  r[195] = 2;                             // current text format
  PutI32(r + 196, Revision());
  PutI16(r + 221, 5);
  PutI32(r + 223, -1);
  PutI32(r + 227, -1);                    // no automatic link
  PutI32(r + 231, header);
  PutI32(r + 235, footer);
  std::vector<uint8_t> text(markup.begin(), markup.end());
  if (text.empty() || text.back() != 0) text.push_back(0);  // texts end with a 0 byte
  return Add(testoHtml, std::move(rec), std::move(text));
}

void TZebWriter::SetPageKeywords(int page, const std::vector<int>& keywordIndices) {
  if (keywordIndices.size() > 20) throw std::invalid_argument("a page has at most 20 keywords");
  std::vector<uint8_t>& rec = RecordOf(testoHtml, page);
  for (int i = 0; i < 20; ++i)
    PutIfFits(rec, 105 + 4 * i, i < int(keywordIndices.size()) ? keywordIndices[i] : -1);
}

int TZebWriter::AddInternetLink(const std::string& target) {
  std::vector<uint8_t> rec = FullRecord(internetLink);
  std::string low = AsciiLower(target);
  if (low.rfind("lumo:", 0) == 0) rec[4] = 6;
  else if (low.rfind("http:", 0) == 0 || low.rfind("https:", 0) == 0) rec[4] = 7;
  else if (low.rfind("mailto:", 0) == 0) rec[4] = 8;
  PutPString(rec.data() + 5, 127, target);
  PutI32(rec.data() + 89, Revision());
  return Add(internetLink, std::move(rec));
}

int TZebWriter::AddFile(const std::string& fileName, std::vector<uint8_t> bytes) {
  std::vector<uint8_t> rec = FullRecord(genLink);
  PutPString(rec.data() + 5, 78, fileName);
  PutI32(rec.data() + 89, Revision());
  return Add(genLink, std::move(rec), std::move(bytes));
}

int TZebWriter::AddPicture(const std::string& name, const std::string& fileName,
                           std::vector<uint8_t> bytes, int width, int height) {
  std::vector<uint8_t> rec = FullRecord(immagine);
  uint8_t* r = rec.data();
  PutPString(r + 5, 71, name);
  PutI32(r + 77, Revision());
  PutI16(r + 85, static_cast<int16_t>(width));
  PutI16(r + 87, static_cast<int16_t>(height));
  PutPString(r + 94, 75, fileName);
  PutI32(r + 662, -1);
  r[666] = 0;
  return Add(immagine, std::move(rec), std::move(bytes));
}

int TZebWriter::AddPictureRef(int pictureIndex, const std::string& name) {
  std::vector<uint8_t> rec = FullRecord(immagineNew);
  PutI32(rec.data() + 0, pictureIndex);
  PutI32(rec.data() + 9, -1);             // no hover picture
  rec[13] = 0;                            // flows with the text
  PutPString(rec.data() + 28, 32, name);
  for (int slot = 0; slot < 30; ++slot) PutI32(rec.data() + 73 + 16 * slot, -1);  // no zones
  return Add(immagineNew, std::move(rec));
}

int TZebWriter::AddKeyword(const std::string& word) {
  std::vector<uint8_t> rec = FullRecord(keyword);
  PutPString(rec.data(), 79, word);
  return Add(keyword, std::move(rec));
}

std::vector<uint8_t> TZebWriter::StyleRecord(const std::string& name, const std::string& font,
                                             int size) const {
  std::vector<uint8_t> rec = FullRecord(stileParagrafo);
  uint8_t* r = rec.data();
  PutPString(r + 5, 32, name);
  PutPString(r + 39, 32, font);
  PutI16(r + 72, static_cast<int16_t>(size));
  PutI32(r + 74, 0);
  r[78] = 0;
  PutI16(r + 79, -1);
  PutI32(r + 81, 0xFF0000);
  r[85] = 4;
  PutI16(r + 86, 10);
  PutI16(r + 88, 10);
  PutI16(r + 94, -32000);
  r[98] = 1;
  return rec;
}

int TZebWriter::AddStyle(const std::string& name, const std::string& font, int size) {
  return Add(stileParagrafo, StyleRecord(name, font, size));
}

void TZebWriter::AddDefaultStyles() {
  if (!objs_[stileParagrafo].empty()) return;
  AddStyle("[nessuno stile]");
  int t = AddStyle("[nessuno stile tabella]");
  std::vector<uint8_t>& rec = RecordOf(stileParagrafo, t);
  PutI16(rec.data() + 86, 0);
  PutI16(rec.data() + 88, 0);
}

void TZebWriter::SetProperty(const std::string& name, const std::string& value) {
  std::string key = AsciiLower(name);
  auto it = std::find_if(props_.begin(), props_.end(), [&](auto& p) { return p.first == key; });
  if (value.empty()) {
    if (it != props_.end()) props_.erase(it);
  } else if (it != props_.end()) {
    it->second = value;
  } else {
    props_.emplace_back(key, value);
  }
}

void TZebWriter::SetRecordSize(int kind, int size) {
  if (kind >= 0 && kind < KindCount && size >= 0) recSize_[kind] = size;
}
// Header byte 1620 follows, but a later SetHeaderByte may still make the two
// disagree, as a damaged file would.
void TZebWriter::SetLastKind(int k) {
  lastKind_ = std::clamp(k, 0, 255);
  header_[1620] = static_cast<uint8_t>(lastKind_);
}
void TZebWriter::SetVersion(int v) { PutI16(header_.data() + 1621, static_cast<int16_t>(v)); }

std::vector<uint8_t> TZebWriter::PropertyPayload() const {
  std::string text;
  for (const auto& [name, value] : props_) text += name + "\r\n" + EncodePropertyValue(value) + "\r\n";
  return std::vector<uint8_t>(text.begin(), text.end());
}

void TZebWriter::FillPayloadFields(int kind, std::vector<uint8_t>& rec, int64_t& blobPos,
                                   const Obj& o) {
  TPayloadFields f = PayloadFields(kind);
  if (f.mainSize >= 0) {
    int32_t size = CheckedI32(int64_t(o.main.size()), "payload");
    PutIfFits(rec, 0, o.main.empty() ? 0 : CheckedI32(blobPos, "blob area"));
    if (kind == tabellaHtml) {
      PutIfFits(rec, 81, o.main.empty() ? 0 : 1);
      if (85 + 2 <= int(rec.size())) PutI16(rec.data() + 85, static_cast<int16_t>(size));
    } else {
      PutIfFits(rec, f.mainSize, size);
    }
    blobPos += size;
  }
  if (f.attrPos >= 0) {
    int32_t size = CheckedI32(int64_t(o.attr.size()), "attribute payload");
    PutIfFits(rec, f.attrPos, o.attr.empty() ? 0 : CheckedI32(blobPos, "blob area"));
    PutIfFits(rec, f.attrSize, size);
    blobPos += size;
  }
}

std::vector<uint8_t> TZebWriter::Build() const {
  // Work on a copy: the default styles and the properties object are part of
  // the file but not of what the caller added.
  TZebWriter w = *this;
  w.AddDefaultStyles();
  if (!props_.empty()) {
    std::vector<uint8_t> rec = w.FullRecord(dbloc);
    PutPString(rec.data() + 17, 15, "db");
    rec[46] = 1;
    int idx = w.Add(dbloc, std::move(rec), PropertyPayload());
    PutI32(w.header_.data() + 1758, MakeId(dbloc, idx));
  }
  const int lastKind = w.lastKind_;
  const int stored = std::min(lastKind, KindCount - 1);  // kinds beyond 26 have no table

  // Records first, so that the blob positions are known when they are filled in.
  std::vector<uint8_t> records, blobs;
  std::vector<uint8_t> dir(12 * (lastKind + 1), 0);
  int64_t blobPos = 0;
  for (int k = 0; k <= lastKind; ++k) {
    uint8_t* e = dir.data() + 12 * k;
    PutI32(e, CheckedI32(int64_t(records.size()), "record area"));
    if (k > stored) continue;
    PutI32(e + 4, w.recSize_[k]);
    PutI32(e + 8, int32_t(w.objs_[k].size()));
    for (const Obj& o : w.objs_[k]) {
      std::vector<uint8_t> rec = o.record;
      rec.resize(w.recSize_[k], 0);
      FillPayloadFields(k, rec, blobPos, o);
      records.insert(records.end(), rec.begin(), rec.end());
      if (PayloadFields(k).mainSize >= 0) blobs.insert(blobs.end(), o.main.begin(), o.main.end());
      if (PayloadFields(k).attrPos >= 0) blobs.insert(blobs.end(), o.attr.begin(), o.attr.end());
    }
  }
  int32_t recordLength = CheckedI32(int64_t(records.size()), "record area");
  CheckedI32(int64_t(ZebHeaderSize) + int64_t(dir.size()) + 4 + recordLength + int64_t(blobs.size()),
             "file");

  std::vector<uint8_t> out;
  out.reserve(ZebHeaderSize + dir.size() + 4 + records.size() + blobs.size());
  out.insert(out.end(), w.header_.begin(), w.header_.end());
  out.insert(out.end(), dir.begin(), dir.end());
  uint8_t len[4];
  PutI32(len, recordLength);
  out.insert(out.end(), len, len + 4);
  out.insert(out.end(), records.begin(), records.end());
  out.insert(out.end(), blobs.begin(), blobs.end());
  return out;
}

bool TZebWriter::Save(const std::string& path) const {
  std::vector<uint8_t> bytes = Build();
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) return false;
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  f.close();
  return bool(f);
}
