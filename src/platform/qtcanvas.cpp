#include "platform/qtcanvas.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
  });
}

// Wingdings bullets and the Unicode characters that look like them, the
// preferred one first. Other Wingdings bytes are read in the code page.
struct TSymbol {
  uint8_t byte;
  char32_t candidates[2];
};
constexpr TSymbol kWingdings[] = {
    {'l', {0x25CF, 0x2022}},  // black circle
    {'n', {0x25A0, 0x25AA}},  // black square
    {'o', {0x25A1, 0x25AB}},  // white square
    {'q', {0x2751, 0x25A1}},  // shadowed white square
    {'u', {0x25C6, 0x2666}},  // black diamond
    {'v', {0x2756, 0x25C6}},  // black diamond minus white X
    {'w', {0x25C6, 0x2666}},  // small black diamond: the paragraph bullet
    {0xA1, {0x25CB, 0x25E6}},  // white circle
    {0xA7, {0x25AA, 0x25A0}},  // small black square
    {0xD8, {0x27A2, 0x25BA}},  // arrowhead
    {0xFB, {0x2718, 0x2717}},  // ballot x
    {0xFC, {0x2714, 0x2713}},  // check mark
};

// Bytes that are not text: drawn as whatever the font has for them, never
// looked up in other fonts.
bool IsControl(char32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp < 0xA0); }

struct TFoundGlyph {
  QRawFont raw;
  uint32_t glyph;
};

// The font Qt itself would fall back to for a character the font lacks.
std::optional<TFoundGlyph> FallbackGlyph(const QFont& font, char32_t cp) {
  QTextLayout layout(QString::fromUcs4(&cp, 1), font);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  for (const QGlyphRun& run : layout.glyphRuns()) {
    const QList<quint32> glyphs = run.glyphIndexes();
    if (!glyphs.isEmpty() && glyphs[0] != 0) return TFoundGlyph{run.rawFont(), glyphs[0]};
  }
  return std::nullopt;
}

size_t RawIndex(TQtFace& face, const QRawFont& raw) {
  for (size_t i = 0; i < face.raws.size(); ++i)
    if (face.raws[i] == raw) return i;
  face.raws.push_back(raw);
  return face.raws.size() - 1;
}

std::array<char32_t, 256> CodePoints(const TCodePage& cp, bool wingdings, const QRawFont& primary) {
  std::array<char32_t, 256> cps{};
  for (int b = 0; b < 256; ++b) {
    cps[b] = cp.CodePoint(static_cast<uint8_t>(b));
    if (cps[b] > 0xFFFF) cps[b] = 0xFFFD;
  }
  if (!wingdings) return cps;
  for (const TSymbol& s : kWingdings) {
    cps[s.byte] = s.candidates[0];
    for (char32_t c : s.candidates)
      if (primary.supportsCharacter(c)) {
        cps[s.byte] = c;
        break;
      }
  }
  return cps;
}

// Glyph and integer advance of every byte; characters the font lacks come
// from the font Qt falls back to.
void FillGlyphs(TQtFace& face, const std::array<char32_t, 256>& cps) {
  const QRawFont& primary = face.raws[0];
  QString all;
  all.reserve(256);
  for (char32_t c : cps) all.append(QChar(static_cast<char16_t>(c)));
  QList<quint32> glyphs = primary.isValid() ? primary.glyphIndexesForString(all) : QList<quint32>();
  if (glyphs.size() != 256) glyphs = QList<quint32>(256, 0);
  const QList<QPointF> advances = primary.isValid() ? primary.advancesForGlyphIndexes(glyphs) : QList<QPointF>();
  for (int b = 0; b < 256; ++b) {
    face.glyph[b] = glyphs[b];
    face.raw[b] = 0;
    double adv = b < advances.size() ? advances[b].x() : 0.0;
    if (glyphs[b] == 0 && !IsControl(cps[b])) {
      if (auto found = FallbackGlyph(face.font, cps[b])) {
        const size_t r = RawIndex(face, found->raw);
        if (r < 256) {
          face.raw[b] = static_cast<uint8_t>(r);
          face.glyph[b] = found->glyph;
          adv = found->raw.advancesForGlyphIndexes(QList<quint32>{found->glyph}).value(0).x();
        }
      }
    }
    face.advance[b] = static_cast<int32_t>(std::lround(adv));
    face.blank[b] = cps[b] == 0x20 || cps[b] == 0xA0;
  }
}

}  // namespace

int PixelSizeForPoints(int32_t points) {
  const int64_t p = std::clamp<int64_t>(std::abs(static_cast<int64_t>(points)), 1, 1500);
  return static_cast<int>((p * 96 + 36) / 72);
}

std::shared_ptr<TQtFace> TQtFontCache::Face(const TCanvasFont& f) {
  const uint8_t style = f.style & (fsBold | fsItalic);  // lines are drawn by the canvas
  ++clock_;
  for (Entry& e : entries_)
    if (e.size == f.size && e.style == style && e.name == f.name) {
      e.lastUse = clock_;
      return e.face;
    }
  if (entries_.size() >= kMaxFaces) {
    auto oldest = std::min_element(entries_.begin(), entries_.end(),
                                   [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
    entries_.erase(oldest);
  }
  entries_.push_back({f.name, f.size, style, clock_, Build(f)});
  return entries_.back().face;
}

std::shared_ptr<TQtFace> TQtFontCache::Build(const TCanvasFont& f) const {
  auto face = std::make_shared<TQtFace>();
  const bool wingdings = EqualNoCase(f.name, "Wingdings");
  const std::string family = f.name.empty() ? std::string("Arial") : codePage_.ToUtf8(f.name);
  QFont font(QString::fromUtf8(family.data(), static_cast<qsizetype>(family.size())));
  face->pixelSize = PixelSizeForPoints(f.size);
  font.setPixelSize(face->pixelSize);
  font.setBold(f.style & fsBold);
  font.setItalic(f.style & fsItalic);
  face->font = font;

  const QFontMetrics fm(font);
  face->metrics = {fm.height(), fm.ascent()};
  face->underlinePos = fm.underlinePos();
  face->strikeOutPos = fm.strikeOutPos();
  face->lineWidth = std::max(1, fm.lineWidth());

  face->raws.push_back(QRawFont::fromFont(font));
  FillGlyphs(*face, CodePoints(codePage_, wingdings, face->raws[0]));
  return face;
}

TQtCanvas::TQtCanvas(QPainter* painter, const TCodePage& codePage)
    : TQtCanvas(painter, std::make_shared<TQtFontCache>(codePage)) {}

TQtCanvas::TQtCanvas(QPainter* painter, std::shared_ptr<TQtFontCache> cache)
    : painter_(painter), cache_(cache ? std::move(cache) : std::make_shared<TQtFontCache>(TCodePage())) {
  font_.name = "Arial";
  face_ = cache_->Face(font_);
}

void TQtCanvas::SetFont(const TCanvasFont& f) {
  const bool sameFace = f.size == font_.size && ((f.style ^ font_.style) & (fsBold | fsItalic)) == 0 &&
                        f.name == font_.name;
  font_ = f;
  if (!sameFace) face_ = cache_->Face(f);
}

int TQtCanvas::TextWidth(std::string_view bytes) {
  int w = 0;
  for (char c : bytes) w += face_->advance[static_cast<uint8_t>(c)];
  return w;
}

int TQtCanvas::PairWidth(int, uint8_t c) { return face_->advance[c]; }

void TQtCanvas::SetTextBackground(bool solid, int32_t colour) {
  solid_ = solid;
  background_ = colour;
}

void TQtCanvas::FillRect(int x, int y, int w, int h, int32_t colour) {
  if (painter_ && w > 0 && h > 0) painter_->fillRect(QRect(x, y, w, h), Colour(colour));
}

void TQtCanvas::TextOut(int x, int y, std::string_view bytes, const int* advances) {
  if (!painter_ || bytes.empty()) return;
  const TQtFace& face = *face_;
  offsets_.resize(bytes.size() + 1);
  offsets_[0] = 0;
  for (size_t i = 0; i < bytes.size(); ++i)
    offsets_[i + 1] = offsets_[i] + (advances ? advances[i] : face.advance[static_cast<uint8_t>(bytes[i])]);
  const int total = offsets_.back();
  const QColor ink = Colour(font_.colour);
  if (solid_ && total > 0) painter_->fillRect(QRect(x, y, total, face.metrics.height), Colour(background_));
  const int baseline = y + face.metrics.ascent;
  DrawGlyphs(x, baseline, bytes);
  if (font_.style & fsUnderline)
    painter_->fillRect(QRect(x, baseline + face.underlinePos, total, face.lineWidth), ink);
  if (font_.style & fsStrikeOut)
    painter_->fillRect(QRect(x, baseline - face.strikeOutPos, total, face.lineWidth), ink);
}

// One glyph run per font the bytes need (nearly always one), each glyph at
// its integer offset.
void TQtCanvas::DrawGlyphs(int x, int baseline, std::string_view bytes) {
  const TQtFace& face = *face_;
  const QColor ink = Colour(font_.colour);
  for (size_t r = 0; r < face.raws.size(); ++r) {
    glyphs_.clear();
    positions_.clear();
    for (size_t i = 0; i < bytes.size(); ++i) {
      const auto b = static_cast<uint8_t>(bytes[i]);
      if (face.raw[b] != r || face.blank[b]) continue;
      glyphs_.push_back(face.glyph[b]);
      positions_.emplace_back(offsets_[i], 0);
    }
    if (glyphs_.empty()) continue;
    if (painter_->pen().color() != ink) painter_->setPen(ink);
    QGlyphRun run;
    run.setRawFont(face.raws[r]);
    run.setRawData(glyphs_.data(), positions_.data(), static_cast<int>(glyphs_.size()));
    painter_->drawGlyphRun(QPointF(x, baseline), run);
  }
}
