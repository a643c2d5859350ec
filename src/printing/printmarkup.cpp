#include "printing/printmarkup.h"

namespace {
int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Length of a link start "<$KKxxxxxx>" (or "<$$KKxxxxxx>") at i whose kind
// is 1 or 2; 0 otherwise.
size_t WebLinkStart(std::string_view m, size_t i) {
  if (i + 2 >= m.size() || m[i + 1] != '$') return 0;
  size_t d = i + 2;
  if (m[d] == '$') ++d;
  if (d + 9 > m.size() || m[d + 8] != '>') return 0;
  const int k1 = Hex(m[d]), k2 = Hex(m[d + 1]);
  if (k1 != 0 || (k2 != 1 && k2 != 2)) return 0;
  return d + 9 - i;
}
}  // namespace

std::string PrintMarkup(std::string_view markup) {
  std::string out;
  out.reserve(markup.size());
  for (size_t i = 0; i < markup.size();) {
    if (markup[i] == '<')
      if (const size_t n = WebLinkStart(markup, i)) {
        i += n;
        continue;
      }
    out.push_back(markup[i++]);
  }
  return out;
}
