// Reading paragraphs from the text markup and writing them back.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/paragraph.h"

struct TReadOutcome {
  std::unique_ptr<TZEBparag> para;  // null when no paragraph was formed
  bool end = false;                 // the text (or the cell) ended
};

// Reads one paragraph at pos. `stored` is the stored form (tables carry
// their cells inline).
TReadOutcome ReadParagraph(TTextContext& ctx, std::string_view buf, size_t& pos, bool stored = true);
// Reads paragraphs until the text or the cell ends.
std::vector<std::unique_ptr<TZEBparag>> ReadParagraphs(TTextContext& ctx, std::string_view buf, size_t& pos,
                                                       bool stored = true);
// Takes the page-object entries ("<Z S0 f0 >" + marker) off the front of a
// page text; returns their numbers and leaves pos after them.
std::vector<int> TakePageObjects(std::string_view buf, size_t& pos);

enum class TWriteMode { Stored = 0, InMemory = 1 };
// Writes characters [start, end) of a paragraph (end clamped to the text).
void WriteParagraph(const TZEBparag& p, TTextContext& ctx, std::string& out, TWriteMode mode, int start = 0,
                    int end = 0x7FFFFFFF);
