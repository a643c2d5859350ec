// Conversion of ebook text (one 8-bit code page per ebook) to UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "document/casefold.h"

class TCodePage {
public:
  // From an HTML character set name ("iso-8859-1" is read as windows-1252,
  // empty or unknown names too). Only single-byte, ASCII-compatible character
  // sets are taken; multi-byte ones such as "utf-8" are read as windows-1252 as
  // well. Bytes the character set does not define give U+FFFD, except the five
  // holes of windows-1252, which keep their C1 value. Name() is the set in use.
  explicit TCodePage(std::string_view charset = "windows-1252");
  const std::string& Name() const { return name_; }
  // Unicode code point of a byte.
  uint32_t CodePoint(uint8_t b) const { return table_[b]; }
  std::string ToUtf8(std::string_view bytes) const;
  // Best-effort reverse mapping; characters without a byte become '?'.
  std::string FromUtf8(std::string_view utf8) const;
  // Lower case byte by byte, within this code page.
  const TFoldTable& FoldTable() const { return fold_; }

  void Fold(std::string& bytes) const {
    for (char& c : bytes) c = static_cast<char>(fold_[static_cast<uint8_t>(c)]);
  }

private:
  struct Reverse;

  std::string name_;
  std::array<uint32_t, 256> table_{};
  TFoldTable fold_{};
  // Code point -> byte, built on the first FromUtf8; shared by copies.
  std::shared_ptr<Reverse> reverse_;
};

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, uint32_t cp);
