// Converters from the text markup (a selection written in stored form and
// ended by a 0 byte) to other formats: plain text, RTF and HTML.
#pragma once

#include <algorithm>
#include <array>
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

// Every attribute of a paragraph, resolved.
struct TParaValues {
  std::array<int32_t, paCount> v{};
  std::string fontName;
  bool operator==(const TParaValues&) const = default;
  static TParaValues Of(const TZEBParaStyle& s) {
    TParaValues p;
    for (int a = 0; a < paCount; ++a)
      if (a != paFontName) p.v[a] = s.Get(a);
    p.fontName = s.FontName();
    return p;
  }
  static TParaValues Of(const TZEBoggetto* style) {
    TParaValues p;
    for (int a = 0; a < paCount; ++a)
      if (a != paFontName) p.v[a] = stylerec::Int(style, a);
    p.fontName = stylerec::FontName(style);
    return p;
  }
  TMyFont Font() const {
    return {fontName, static_cast<uint8_t>(v[paStyleFlags]), v[paFontColour], v[paFontSize],
            static_cast<uint8_t>(v[paVertical])};
  }
};

// A paragraph as the converters see it: a range of its characters and the
// cells of its tables.
struct TConvTable;
struct TConvParagraph {
  const TZEBparag* para = nullptr;
  std::unique_ptr<TZEBparag> owned;  // when read here rather than borrowed
  int from = 0, to = 0x7FFFFFFF;     // characters [from, to)
  // Tables whose cells were read with this paragraph, in order of appearance.
  std::vector<std::unique_ptr<TConvTable>> tables;
  size_t nextTable = 0;
  int End() const { return std::min<int>(to, static_cast<int>(para->text.size())); }
  // The cells of the table at character i, or null ("<@>" or a damaged text).
  const TConvTable* TableAt(int i);
};
struct TConvTable {
  TZEBoggetto* obj = nullptr;
  int rows = 0, cols = 0;
  std::vector<std::vector<TConvParagraph>> cells;  // rows * cols
};

// Hands the converters one paragraph after the other.
class IConvSource {
public:
  virtual ~IConvSource() = default;
  virtual bool Next(TConvParagraph& out) = 0;
};

// Paragraphs read back from markup, tables with their cells.
class TConvReader : public IConvSource, public IObjectIndex {
public:
  // Tables nested deeper than this are read as plain content of their cell.
  static constexpr int kMaxDepth = 32;

  TConvReader(TZEBset* doc, IObjectIndex* index, std::string_view markup);
  bool Next(TConvParagraph& out) override;

  TZEBoggetto* IndexedObject(int number) override;
  int NumberOf(TZEBoggetto* obj) override;
  bool ReadTableCells(TZEBoggetto* table, std::string_view text, size_t& pos) override;

private:
  bool ReadOne(std::string_view text, size_t& pos, TConvParagraph& out, bool& end);

  TFixedCanvas canvas_;
  TTextContext ctx_;
  IObjectIndex* index_;
  std::string_view markup_;
  size_t pos_ = 0;
  std::vector<std::unique_ptr<TConvTable>>* pending_ = nullptr;
  int depth_ = 0;
  bool ended_ = false;
};

// Paragraphs a box already holds, over a selection. A paragraph with a table
// goes through its markup, which carries the cells.
class TParagraphSource : public IConvSource {
public:
  TParagraphSource(const std::vector<const TZEBparag*>& paras, TTextContext& ctx, int p1, int c1, int p2, int c2)
      : paras_(paras), ctx_(ctx), p_(std::max(0, p1)), c1_(c1), p2_(p2), c2_(c2), first_(p_) {}
  bool Next(TConvParagraph& out) override;

private:
  const std::vector<const TZEBparag*>& paras_;
  TTextContext& ctx_;
  int p_, c1_, p2_, c2_, first_;
};
