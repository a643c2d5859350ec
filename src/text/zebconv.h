// Converters from the text markup (a selection written in stored form and
// ended by a 0 byte) to other formats: plain text, RTF and HTML.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/records.h"
#include "text/paragraph.h"

class TZEBset;
class TZEBtesto;
class TZEBoggetto;

// A stored table or cell background that is a plain colour.
inline bool IsColour(uint32_t background) {
  return TBackground::Decode(background).kind == TBackground::Kind::Colour;
}

class TZEBconv {
public:
  TZEBconv(TZEBset* doc, IObjectIndex* index, const TZEBtesto* text)
      : LinkedZEBset(doc), index_(index), text_(text) {}
  virtual ~TZEBconv() = default;

  // Converts the markup and appends the result to out; for the clipboard a
  // 0 byte ends it.
  virtual void Convert(std::string_view markup, std::string& out) = 0;

  TZEBset* LinkedZEBset;
  // Set when a selection is converted for the clipboard, clear for file export.
  bool copy = true;

  // The marker a reference object (shortObj 21..28) leaves in the text;
  // empty for every other object.
  static std::string ReferenceMarker(const TZEBoggetto& obj);

  // The object a "<$" id names: 0xFF the page object index, 0x6F the text's
  // own link list, otherwise the document.
  TZEBoggetto* LookUp(uint32_t id) const;

protected:

  IObjectIndex* index_;
  const TZEBtesto* text_;
};

class TZEBtoTxt : public TZEBconv {
public:
  using TZEBconv::TZEBconv;
  void Convert(std::string_view markup, std::string& out) override;
};

// A text read back into paragraphs, one paragraph at a time, with the cells
// of its tables. Used by the converters that need the attributes.
struct TConvTable;
struct TConvParagraph {
  std::unique_ptr<TZEBparag> para;
  // Tables whose cells were read with this paragraph, in order of appearance.
  std::vector<std::unique_ptr<TConvTable>> tables;
  size_t nextTable = 0;
  // The cells of the table at character i, or null ("<@>" or a damaged text).
  const TConvTable* TableAt(int i);
};
struct TConvTable {
  TZEBoggetto* obj = nullptr;
  int rows = 0, cols = 0;
  std::vector<std::vector<TConvParagraph>> cells;  // rows * cols
};

class TConvReader : public IObjectIndex {
public:
  // Tables nested deeper than this are read as plain content of their cell.
  static constexpr int kMaxDepth = 32;

  TConvReader(TZEBset* doc, IObjectIndex* index);
  // Reads the next paragraph of the top level at pos; false at the end.
  bool Next(std::string_view markup, size_t& pos, TConvParagraph& out);

  TZEBoggetto* IndexedObject(int number) override;
  int NumberOf(TZEBoggetto* obj) override;
  bool ReadTableCells(TZEBoggetto* table, std::string_view text, size_t& pos) override;

private:
  bool ReadOne(std::string_view text, size_t& pos, TConvParagraph& out, bool& end);

  TFixedCanvas canvas_;
  TTextContext ctx_;
  IObjectIndex* index_;
  std::vector<std::unique_ptr<TConvTable>>* pending_ = nullptr;
  int depth_ = 0;
  bool ended_ = false;
};
