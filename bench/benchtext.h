// The benchmark text shared by the text benchmarks: about 1 MB of markup in
// 5,000 paragraphs of Italian words with bold runs and links, and the same
// text as a QTextDocument in the fonts our canvas uses.
#pragma once

#include <QColor>
#include <QFont>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdint>
#include <string>
#include <vector>

#include "document/codepage.h"
#include "platform/qtcanvas.h"
#include "text/paragraph.h"

namespace {

// One piece of a paragraph: plain, bold, or a link.
struct TPiece {
  enum Kind { Plain, Bold, Link } kind;
  std::string text;  // windows-1252
};
using TParagraphText = std::vector<TPiece>;

const char* const kWords[] = {
    "il", "la", "che", "di", "una", "casa", "citt\xE0", "perch\xE9", "pi\xF9", "\xE8", "libro", "pagina",
    "lettura", "parola", "capitolo", "sempre", "quando", "mentre", "tuttavia", "nella", "della", "verso",
    "ancora", "finestra", "giardino", "mattina", "sera", "cos\xEC", "gi\xE0", "pu\xF2", "virt\xF9", "strada",
    "montagna", "fiume", "racconto", "memoria", "silenzio", "viaggio", "stagione", "ragione", "luce",
    "ombra", "tempo", "mondo", "uomo", "donna", "bambino", "scuola", "lavoro", "famiglia", "amico",
    "cammino", "pensiero", "domanda", "risposta", "inverno", "estate", "primavera", "autunno", "mare"};

std::vector<TParagraphText> MakeText(int paragraphs) {
  std::vector<TParagraphText> out;
  uint32_t seed = 12345;
  auto next = [&](uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % n;
  };
  const uint32_t nWords = sizeof kWords / sizeof kWords[0];
  for (int p = 0; p < paragraphs; ++p) {
    TParagraphText para;
    const int words = 16 + static_cast<int>(next(14));
    std::string plain;
    for (int w = 0; w < words; ++w) {
      if (next(9) == 0) {
        if (!plain.empty()) para.push_back({TPiece::Plain, plain});
        plain.assign(1, ' ');
        std::string special = std::string(kWords[next(nWords)]) + " " + kWords[next(nWords)];
        para.push_back({next(2) ? TPiece::Bold : TPiece::Link, special});
        continue;
      }
      plain += kWords[next(nWords)];
      plain += w + 1 < words ? (next(12) == 0 ? ", " : " ") : ".";
    }
    if (!plain.empty()) para.push_back({TPiece::Plain, plain});
    out.push_back(std::move(para));
  }
  return out;
}

std::string Markup(const std::vector<TParagraphText>& text) {
  std::string m;
  for (const TParagraphText& para : text) {
    m += "<Z S0 >";
    for (const TPiece& piece : para) {
      if (piece.kind == TPiece::Bold) m += "<Y g1 >" + piece.text + "<Y >";
      else if (piece.kind == TPiece::Link) m += "<$00000001>" + piece.text + "<%>";
      else m += piece.text;
    }
  }
  return m;
}

inline QColor Colour(int32_t bgr) { return TQtCanvas::Colour(bgr); }

// The same paragraphs as a QTextDocument with the fonts our canvas uses.
void FillDocument(QTextDocument& qd, const std::vector<TParagraphText>& text, const TCodePage& cp,
                  const TZEBparag& sample) {
  QFont font(QString::fromStdString(sample.ParagraphFont().name));
  font.setPixelSize(PixelSizeForPoints(sample.ParagraphFont().size));
  qd.setDefaultFont(font);
  qd.setDocumentMargin(0);
  QTextCharFormat plain, bold, link;
  plain.setFont(font);
  bold = plain;
  bold.setFontWeight(QFont::Bold);
  link = plain;
  link.setForeground(Colour(sample.style.Get(paLinkColour)));
  const int flags = sample.style.Get(paLinkFlags);
  link.setFontUnderline(flags & fsUnderline);
  link.setFontWeight(flags & fsBold ? QFont::Bold : QFont::Normal);
  link.setAnchor(true);
  link.setAnchorHref("#1");
  QTextCursor cur(&qd);
  bool first = true;
  for (const TParagraphText& para : text) {
    if (!first) cur.insertBlock();
    first = false;
    for (const TPiece& piece : para) {
      const QTextCharFormat& f = piece.kind == TPiece::Bold ? bold : piece.kind == TPiece::Link ? link : plain;
      cur.insertText(QString::fromStdString(cp.ToUtf8(piece.text)), f);
    }
  }
}

}  // namespace
