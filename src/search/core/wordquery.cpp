#include "search/core/wordquery.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

void FoldInPlace(std::string& s, const TFoldTable& fold) {
  for (char& c : s) c = static_cast<char>(fold[static_cast<uint8_t>(c)]);
}

bool IsBlank(char c) { return c == '\r' || c == '\n' || c == '\t' || c == ' '; }

// Line breaks and runs of blanks become one space.
std::string OneLine(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (!IsBlank(c)) {
      out += c;
    } else if (out.empty() || out.back() != ' ') {
      out += ' ';
    }
  }
  return out;
}

}  // namespace

TQueryTerms PrepareQuery(const TWordQuery& q, const TFoldTable& fold) {
  TQueryTerms t{q.w, q.a, q.o, q.b, q.caseSensitive, false};
  t.none = q.w.empty() && q.a.empty() && q.o.empty() && q.b.empty();
  if (!t.caseSensitive)
    for (std::string* s : {&t.w, &t.a, &t.o, &t.b}) FoldInPlace(*s, fold);
  const std::string typedB = t.b;
  if (t.w.empty() && !t.a.empty()) {
    t.w = std::move(t.a);
    t.a.clear();
  } else if (t.w.empty()) {
    t.w = std::move(t.o);
    t.a = std::move(t.b);
    t.o.clear();
    t.b.clear();
  }
  if (q.o.empty() && !q.b.empty()) {
    t.o = typedB;
    t.b.clear();
  }
  return t;
}

namespace {

#if defined(__SSE2__)
// Sixteen positions at a time: a candidate has the word's first byte at i and
// its last byte at i + m - 1; only candidates are compared in full. Ordinary
// text makes few candidates, however common the word's letters are.
size_t VectorFind(const char* s, size_t n, const char* w, size_t m) {
  const __m128i first = _mm_set1_epi8(w[0]);
  const __m128i last = _mm_set1_epi8(w[m - 1]);
  size_t i = 0;
  for (; i + m - 1 + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + m - 1));
    unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
    while (mask) {
      const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
      if (std::memcmp(s + i + bit + 1, w + 1, m - 2) == 0) return i + bit;
      mask &= mask - 1;
    }
  }
  for (; i + m <= n; ++i)
    if (s[i] == w[0] && std::memcmp(s + i, w, m) == 0) return i;
  return std::string_view::npos;
}
#endif

}  // namespace

size_t FirstOccurrence(std::string_view text, std::string_view word) {
  if (word.empty() || word.size() > text.size()) return std::string_view::npos;
  if (word.size() == 1) {
    const void* p = std::memchr(text.data(), word[0], text.size());
    return p ? static_cast<size_t>(static_cast<const char*>(p) - text.data()) : std::string_view::npos;
  }
#if defined(__SSE2__)
  // Long words: memmem's skipping wins over looking at every position.
  if (word.size() < 16) return VectorFind(text.data(), text.size(), word.data(), word.size());
#endif
  const void* p = memmem(text.data(), text.size(), word.data(), word.size());
  return p ? static_cast<size_t>(static_cast<const char*>(p) - text.data()) : std::string_view::npos;
}

bool Occurs(std::string_view text, std::string_view word) {
  return FirstOccurrence(text, word) != std::string_view::npos;
}

size_t CountOccurrences(std::string_view text, std::string_view word) {
  size_t n = 0;
  for (size_t at = FirstOccurrence(text, word); at != std::string_view::npos;) {
    ++n;
    text.remove_prefix(at + word.size());
    at = FirstOccurrence(text, word);
  }
  return n;
}

const std::string* MatchText(const TQueryTerms& t, std::string_view text) {
  if (t.none) return nullptr;
  if (Occurs(text, t.w) && (t.a.empty() || Occurs(text, t.a))) return &t.w;
  if (!t.o.empty() && Occurs(text, t.o) && (t.b.empty() || Occurs(text, t.b))) return &t.o;
  return nullptr;
}

TSnippet MakeSnippet(std::string_view text, size_t at, size_t len, size_t context) {
  TSnippet s;
  if (at > text.size()) return s;
  len = std::min(len, text.size() - at);
  size_t from = at > context ? at - context : 0;
  size_t to = std::min(text.size(), at + len + context);
  // Whole words at the cut ends.
  if (from > 0) {
    const size_t sp = text.substr(from, at - from).find_first_of(" \r\n\t");
    if (sp != std::string_view::npos) from += sp + 1;
  }
  if (to < text.size()) {
    const size_t sp = text.substr(at + len, to - at - len).find_last_of(" \r\n\t");
    if (sp != std::string_view::npos) to = at + len + sp;
  }
  s.cutBefore = from > 0;
  s.cutAfter = to < text.size();
  s.before = OneLine(text.substr(from, at - from));
  s.word = OneLine(text.substr(at, len));
  s.after = OneLine(text.substr(at + len, to - at - len));
  if (!s.cutBefore && !s.before.empty() && s.before.front() == ' ') s.before.erase(0, 1);
  if (!s.cutAfter && !s.after.empty() && s.after.back() == ' ') s.after.pop_back();
  return s;
}
