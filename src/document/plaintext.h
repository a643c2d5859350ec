// The plain text of a stored text: its markup without tags, with character
// references decoded. Used by page search and by the text export of pages.
#pragma once

#include <string>
#include <string_view>

#include "document/casefold.h"

// Appends the plain text of `markup` (up to its first 0 byte) to `out`:
// - text between tags is copied;
// - on current-format texts (not `levelOne`), a tag starting "<D" skips to just
//   after the next "<d>", "<F" to "<f>", "<R" to "<r>", and a paragraph tag
//   "<Z" gives CR LF; every other tag is dropped, and so is every tag of a
//   level-1 text; an unclosed tag drops the rest of the text;
// - character references are decoded;
// - with `fold`, every byte of the result is passed through it (references
//   are decoded first, so "&#200;" folds like the letter itself).
// Returns the number of bytes appended.
size_t AppendPlainText(std::string_view markup, bool levelOne, const TFoldTable* fold, std::string& out);
// The same into a buffer of at least markup.size() bytes (the plain text is
// never longer than its markup); returns the bytes written.
size_t PlainTextInto(std::string_view markup, bool levelOne, const TFoldTable* fold, char* out);

inline std::string PlainTextOf(std::string_view markup, bool levelOne, const TFoldTable* fold = nullptr) {
  std::string out;
  AppendPlainText(markup, levelOne, fold, out);
  return out;
}
