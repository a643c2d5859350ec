#include "document/codepage.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <utility>
#include <vector>

#include <iconv.h>

namespace {

constexpr uint32_t kReplacement = 0xFFFD;
constexpr const char* kDefaultName = "windows-1252";

// Used when the system's iconv has no windows-1252 (missing gconv modules):
// 0x80..0x9F, the only range that differs from Latin-1.
constexpr std::array<uint16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Labels that web pages use for Latin-1 but that mean windows-1252 in practice.
bool IsLatin1Alias(const std::string& n) {
  static constexpr const char* kAliases[] = {
      "", "iso-8859-1", "iso8859-1", "iso_8859-1", "iso_8859-1:1987", "latin1", "l1",
      "cp819", "ibm819", "iso-ir-100", "csisolatin1", "us-ascii", "ascii",
      "cp1252", "windows-1252", "x-cp1252"};
  return std::find(std::begin(kAliases), std::end(kAliases), n) != std::end(kAliases);
}

std::string NormalizeName(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  std::string n;
  for (char c : s) n += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  return n;
}

// The name comes from the ebook: keep iconv away from option suffixes ("//")
// and from anything that is not a plain charset label.
bool IsSafeName(const std::string& n) {
  if (n.empty() || n.size() > 40) return false;
  return std::all_of(n.begin(), n.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.' || c == ':' || c == '(' || c == ')';
  });
}

enum class TByteResult { ok, unmapped, notSingleByte };

// Converts one byte on its own; stateless single-byte sets give exactly one code point.
TByteResult ConvertByte(iconv_t cd, uint8_t b, uint32_t& cp) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char in = static_cast<char>(b);
  char* inp = &in;
  size_t inLeft = 1;
  unsigned char buf[16];
  char* outp = reinterpret_cast<char*>(buf);
  size_t outLeft = sizeof buf;
  if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1)) {
    if (errno == EILSEQ) return TByteResult::unmapped;
    return TByteResult::notSingleByte; // EINVAL: the start of a longer sequence
  }
  // Some converters hold a character back to combine it with the next one.
  if (iconv(cd, nullptr, nullptr, &outp, &outLeft) == static_cast<size_t>(-1))
    return TByteResult::unmapped;
  size_t produced = sizeof buf - outLeft;
  if (produced == 0) return TByteResult::notSingleByte; // shift byte of a stateful set
  if (produced != 4) return TByteResult::unmapped;
  cp = uint32_t(buf[0]) | uint32_t(buf[1]) << 8 | uint32_t(buf[2]) << 16 | uint32_t(buf[3]) << 24;
  return TByteResult::ok;
}

// False when iconv does not know the set or it is not an ASCII-compatible single-byte set.
bool BuildTable(const std::string& charset, std::array<uint32_t, 256>& table) {
  iconv_t cd = iconv_open("UTF-32LE", charset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  bool usable = true;
  for (int b = 0; b < 256 && usable; ++b) {
    uint32_t cp = kReplacement;
    TByteResult r = ConvertByte(cd, static_cast<uint8_t>(b), cp);
    if (r == TByteResult::notSingleByte) usable = false;
    else if (r == TByteResult::unmapped) cp = kReplacement;
    else if (b >= 0x20 && b < 0x7F && cp != uint32_t(b)) usable = false;
    table[b] = cp;
  }
  iconv_close(cd);
  return usable;
}

void BuildCp1252(std::array<uint32_t, 256>& table) {
  if (BuildTable(kDefaultName, table)) {
    // Undefined in windows-1252; keep their C1 value so that nothing is lost.
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
      if (table[b] == kReplacement) table[b] = uint32_t(b);
    return;
  }
  for (int b = 0; b < 256; ++b) table[b] = uint32_t(b);
  for (int b = 0; b < 32; ++b) table[0x80 + b] = kCp1252High[b];
}

// Decodes one UTF-8 sequence at s[i]; malformed input gives U+FFFD for one byte.
uint32_t NextUtf8(std::string_view s, size_t& i) {
  uint8_t c = static_cast<uint8_t>(s[i]);
  if (c < 0x80) {
    ++i;
    return c;
  }
  size_t len = (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
  if (len == 0 || i + len > s.size()) {
    ++i;
    return kReplacement;
  }
  uint32_t cp = c & (0x7F >> len);
  for (size_t k = 1; k < len; ++k) {
    uint8_t cc = static_cast<uint8_t>(s[i + k]);
    if ((cc & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = cp << 6 | (cc & 0x3F);
  }
  static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += len;
  return cp;
}

} // namespace

struct TCodePage::Reverse {
  std::once_flag once;
  std::vector<std::pair<uint32_t, uint8_t>> map; // sorted by code point
};

TCodePage::TCodePage(std::string_view charset) : reverse_(std::make_shared<Reverse>()) {
  std::string n = NormalizeName(charset);
  if (!IsLatin1Alias(n) && IsSafeName(n) && BuildTable(n, table_)) {
    name_ = n;
  } else {
    name_ = kDefaultName;
    BuildCp1252(table_);
  }
  fold_ = MakeFoldTable(*this);
}

std::string TCodePage::ToUtf8(std::string_view bytes) const {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char c : bytes) AppendUtf8(out, table_[static_cast<uint8_t>(c)]);
  return out;
}

std::string TCodePage::FromUtf8(std::string_view utf8) const {
  Reverse& rev = *reverse_;
  std::call_once(rev.once, [&] {
    for (int b = 0; b < 256; ++b)
      if (table_[b] != kReplacement) rev.map.emplace_back(table_[b], static_cast<uint8_t>(b));
    // Stable: when two bytes share a code point the lower byte wins.
    std::stable_sort(rev.map.begin(), rev.map.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
  });
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    uint32_t cp = NextUtf8(utf8, i);
    auto it = std::lower_bound(rev.map.begin(), rev.map.end(), cp,
                               [](const auto& e, uint32_t v) { return e.first < v; });
    out += (it != rev.map.end() && it->first == cp) ? static_cast<char>(it->second) : '?';
  }
  return out;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}
