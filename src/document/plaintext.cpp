#include "document/plaintext.h"

#include <cstring>

#include "document/strutil.h"

namespace {

// Copies the text between tags of t to out, which has room for t.size()
// bytes: no tag gives more bytes than it takes. Returns the bytes written.
size_t StripTags(std::string_view t, bool levelOne, char* out) {
  char* w = out;
  size_t i = 0;
  auto skipPast = [&](std::string_view end) {
    const size_t e = t.find(end, i);
    i = e == std::string_view::npos ? t.size() : e + end.size();
  };
  while (i < t.size()) {
    const void* lt = std::memchr(t.data() + i, '<', t.size() - i);
    const size_t at = lt ? static_cast<size_t>(static_cast<const char*>(lt) - t.data()) : t.size();
    std::memcpy(w, t.data() + i, at - i);
    w += at - i;
    i = at;
    if (i >= t.size()) break;
    const char k = i + 1 < t.size() ? t[i + 1] : '\0';
    if (!levelOne && (k == 'D' || k == 'F' || k == 'R')) {
      i += 2;
      skipPast(k == 'D' ? "<d>" : k == 'F' ? "<f>" : "<r>");
      continue;
    }
    const size_t gt = t.find('>', i);
    i = gt == std::string_view::npos ? t.size() : gt + 1;
    if (!levelOne && k == 'Z') {  // "<Z" is at least two bytes
      *w++ = '\r';
      *w++ = '\n';
    }
  }
  return static_cast<size_t>(w - out);
}

// Decodes references in s[0..n) in place (a reference never grows) and folds.
size_t DecodeAndFold(char* s, size_t n, const TFoldTable* fold) {
  size_t r = 0, w = 0;
  while (r < n) {
    if (s[r] != '&') {
      const char c = s[r++];
      s[w++] = fold ? static_cast<char>((*fold)[static_cast<uint8_t>(c)]) : c;
      continue;
    }
    size_t used = 0;
    const unsigned char c = str::DecodeEntityAt(std::string_view(s + r, n - r), used);
    r += used ? used : 1;
    s[w++] = static_cast<char>(fold ? (*fold)[c] : c);
  }
  return w;
}

}  // namespace

size_t PlainTextInto(std::string_view markup, bool levelOne, const TFoldTable* fold, char* out) {
  if (const size_t z = markup.find('\0'); z != std::string_view::npos) markup = markup.substr(0, z);
  return DecodeAndFold(out, StripTags(markup, levelOne, out), fold);
}

size_t AppendPlainText(std::string_view markup, bool levelOne, const TFoldTable* fold, std::string& out) {
  const size_t start = out.size();
  out.resize(start + markup.size());
  const size_t n = PlainTextInto(markup, levelOne, fold, out.data() + start);
  out.resize(start + n);
  return n;
}
