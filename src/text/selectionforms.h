// What copying a selection of a text box produces: the selected paragraphs as
// stored markup, the native clipboard stream and the converted forms.
#pragma once

#include <string>
#include <vector>

#include "text/nativeclip.h"
#include "text/paragraph.h"

class TZEBtesto;

struct TSelectionRange {
  int p1 = 0, c1 = 0;  // first paragraph and character
  int p2 = 0, c2 = 0;  // last paragraph and the character after the selection
};

// Paragraphs p1..p2 in stored form (the first from c1, the last up to c2),
// followed by a 0 byte.
std::string SelectionMarkup(const std::vector<const TZEBparag*>& paras, TTextContext& ctx,
                            const TSelectionRange& r);

// The native clipboard stream of the selection, around its markup. The
// first picture met is handed back through firstPicture when it is given.
std::string NativeClipStream(const std::vector<const TZEBparag*>& paras, TTextContext& ctx,
                             const TZEBtesto* text, const TSelectionRange& r, const std::string& markup,
                             TZEBoggetto** firstPicture = nullptr);

// Everything a copy puts on the clipboard: the native stream, the plain text
// and RTF (the ebook's code page) and HTML (UTF-8), the converted forms
// without the 0 byte that ends them on other systems; and the first picture.
struct TSelectionForms {
  std::string native, text, rtf, html;
  TZEBoggetto* picture = nullptr;
};
TSelectionForms CopyForms(const std::vector<const TZEBparag*>& paras, TTextContext& ctx, const TZEBtesto* text,
                          const TSelectionRange& r);
