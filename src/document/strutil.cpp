#include "document/strutil.h"

#include <array>
#include <cstdio>

namespace str {

namespace {

unsigned char LowerByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  return c;
}

unsigned char UpperByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  return c;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendPercent(std::string& out, unsigned char c) {
  static const char kHex[] = "0123456789abcdef";
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

struct TEntity {
  const char* name;
  unsigned char code;
};

// First match in this order wins, so the order is part of the behaviour.
constexpr std::array<const char*, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",
    "uml",    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "hibar",
    "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot",
    "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",
    "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

constexpr std::array<TEntity, 8> kBasicEntities = {{
    {"quot", '"'}, {"amp", '&'}, {"lt", '<'}, {"gt", '>'},
    {"QUOT", '"'}, {"AMP", '&'}, {"LT", '<'}, {"GT", '>'},
}};

// Table lookup by prefix; returns the name length, 0 when nothing matches.
size_t MatchEntityName(std::string_view rest, unsigned char& code) {
  for (const TEntity& e : kBasicEntities) {
    std::string_view name(e.name);
    if (rest.substr(0, name.size()) == name) {
      code = e.code;
      return name.size();
    }
  }
  for (size_t i = 0; i < kLatin1Names.size(); ++i) {
    std::string_view name(kLatin1Names[i]);
    if (rest.substr(0, name.size()) == name) {
      code = static_cast<unsigned char>(160 + i);
      return name.size();
    }
  }
  return 0;
}

} // namespace

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(LowerByte(static_cast<unsigned char>(c)));
  return out;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
  return out;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerByte(static_cast<unsigned char>(a[i])) != LowerByte(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

int ToIntDef(std::string_view s, int def) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i == s.size()) return def;
  // Accumulate as negative so INT_MIN parses without overflow.
  long long value = 0;
  for (; i < s.size(); ++i) {
    if (!IsDigit(s[i])) return def;
    value = value * 10 - (s[i] - '0');
    if (value < -2147483648LL) return def;
  }
  if (!negative) {
    if (value < -2147483647LL) return def;
    value = -value;
  }
  return static_cast<int>(value);
}

std::string IdToHex(TObjId id) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(static_cast<uint32_t>(id)));
  return buf;
}

bool HexToId(std::string_view s, TObjId& id) {
  if (!s.empty() && s[0] == '$') s.remove_prefix(1);
  if (s.size() != 8) return false;
  uint32_t v = 0;
  for (char c : s) {
    int h = HexValue(c);
    if (h < 0) return false;
    v = v << 4 | static_cast<uint32_t>(h);
  }
  id = static_cast<TObjId>(v);
  return true;
}

std::string IniEscape(std::string_view text, std::string_view section) {
  if (section.empty()) section = "\xA7";
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size();) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      out.append(section).append("!");
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    } else if (c == '\'') {
      out += "''";
      ++i;
    } else if (text.substr(i, section.size()) == section) {
      out.append(section).append(section);
      i += section.size();
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

std::string IniUnescape(std::string_view text, std::string_view section) {
  if (section.empty()) section = "\xA7";
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text.substr(i, section.size()) == section) {
      std::string_view next = text.substr(i + section.size());
      if (!next.empty() && next[0] == '!') {
        out += "\r\n";
        i += section.size() + 1;
      } else if (next.substr(0, section.size()) == section) {
        out.append(section);
        i += 2 * section.size();
      } else {
        i += section.size(); // a stray section sign is dropped, what follows is kept
      }
    } else if (text[i] == '\'' && i + 1 < text.size() && text[i + 1] == '\'') {
      out += '\'';
      i += 2;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string HtmlEscape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string MarkupEscape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': out += "&#38;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

unsigned char DecodeEntityAt(std::string_view s, size_t& consumed) {
  if (s.empty()) {
    consumed = 0;
    return 0;
  }
  if (s[0] != '&') {
    consumed = 1;
    return static_cast<unsigned char>(s[0]);
  }
  size_t i = 1;
  unsigned char result;
  if (i < s.size() && s[i] == '#') {
    ++i;
    int code = 0;
    size_t digits = 0;
    while (digits < 3 && i < s.size() && IsDigit(s[i])) {
      code = code * 10 + (s[i++] - '0');
      ++digits;
    }
    // Three digits reach 999, which a byte cannot hold.
    result = digits == 0 ? 'A' : code > 255 ? '?' : static_cast<unsigned char>(code);
  } else if (i < s.size() && s[i] == '&') {
    consumed = 2;
    return '&';
  } else if (size_t n = MatchEntityName(s.substr(1), result); n > 0) {
    i += n;
  } else {
    result = ' ';
  }
  if (i < s.size() && s[i] == ';') ++i;
  consumed = i;
  return result;
}

std::string DecodeEntities(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    if (s[i] != '&') {
      out += s[i++];
      continue;
    }
    size_t n = 0;
    out += static_cast<char>(DecodeEntityAt(s.substr(i), n));
    i += n;
  }
  return out;
}

std::string UrlEncode(std::string_view s) {
  static constexpr std::string_view kKept = "!$'()*-._@";
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (IsAsciiLetter(c) || IsDigit(c) || kKept.find(c) != std::string_view::npos)
      out += c;
    else
      AppendPercent(out, static_cast<unsigned char>(c));
  }
  return out;
}

std::string LineEncode(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c == '\r' || c == '\n' || c == '&' || c == '=')
      AppendPercent(out, static_cast<unsigned char>(c));
    else
      out += c;
  }
  return out;
}

std::string SanitizeFileName(std::string_view name) {
  constexpr size_t kMaxLen = 200;
  constexpr size_t kMaxExt = 16;
  size_t sep = name.find_last_of("/\\");
  if (sep != std::string_view::npos) name.remove_prefix(sep + 1);
  if (name.size() >= 2 && IsAsciiLetter(name[0]) && name[1] == ':') name.remove_prefix(2);

  static constexpr std::string_view kReserved = "<>:\"|?*";
  std::string out(name);
  for (char& c : out) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127 || kReserved.find(c) != std::string_view::npos) c = '_';
  }
  if (out.find_first_not_of('.') == std::string::npos) return "_"; // "", ".", "..", "..."
  // A leading dot would hide the file and let a name such as ".profile" land among dot files.
  if (out[0] == '.') out[0] = '_';

  if (out.size() > kMaxLen) {
    size_t dot = out.rfind('.');
    size_t extLen = dot == std::string::npos ? 0 : out.size() - dot;
    if (extLen > kMaxExt) extLen = 0;
    out = out.substr(0, kMaxLen - extLen) + out.substr(out.size() - extLen);
  }
  return out;
}

bool PlausibleEmail(std::string_view s) {
  if (s.size() < 8 || s.find(' ') != std::string_view::npos || s.back() == '.') return false;
  size_t at = s.find('@');
  if (at == std::string_view::npos || at < 1) return false;
  std::string_view domain = s.substr(at + 1);
  size_t dot = domain.find('.');
  return dot != std::string_view::npos && dot >= 2 && domain.find("..") == std::string_view::npos;
}

} // namespace str
