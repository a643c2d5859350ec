// The word query of the search dialog: a word W with an optional second word A
// that must occur too, or else an alternative O with its own B.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "document/casefold.h"

struct TWordQuery {
  std::string w, a, o, b;  // as typed, in the ebook's code page
  bool caseSensitive = false;
};

// The words actually looked for, after the empty fields have been moved up.
struct TQueryTerms {
  std::string w, a, o, b;
  bool caseSensitive = false;
  bool none = true;  // every field was empty: nothing matches
};

TQueryTerms PrepareQuery(const TWordQuery& q, const TFoldTable& fold);

// The word a text matches (W, else O), or null. The text is folded with the
// same table as the terms when the search is not case-sensitive. An empty
// word occurs nowhere.
const std::string* MatchText(const TQueryTerms& t, std::string_view text);

bool Occurs(std::string_view text, std::string_view word);
// Non-overlapping occurrences, left to right.
size_t CountOccurrences(std::string_view text, std::string_view word);
// Offset of the first occurrence, or npos.
size_t FirstOccurrence(std::string_view text, std::string_view word);

// A short piece of text around an occurrence, on one line.
struct TSnippet {
  std::string before, word, after;
  bool cutBefore = false, cutAfter = false;  // text left out at either end
};
TSnippet MakeSnippet(std::string_view text, size_t at, size_t len, size_t context = 40);
