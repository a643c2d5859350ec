// The object index of a page read without a display, keeping the cells of
// its tables so that a text can be written back with them.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "text/objectindex.h"

class TCellTextIndex : public TTextObjectIndex {
public:
  // Tables nested deeper than this keep their cells in the text around them.
  static constexpr int kMaxDepth = 32;

  TCellTextIndex(const TZEBtesto* text, TTextContext& ctx) : TTextObjectIndex(text), ctx_(ctx) {}
  bool ReadTableCells(TZEBoggetto* table, std::string_view text, size_t& pos) override;
  void WriteTableCells(TZEBoggetto* table, std::string& out) override;

private:
  using Cell = std::vector<std::unique_ptr<TZEBparag>>;
  TTextContext& ctx_;
  std::map<const TZEBoggetto*, std::vector<Cell>> cells_;
  int depth_ = 0;
};
