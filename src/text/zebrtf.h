// The RTF form of a selection.
#pragma once

#include <string>
#include <string_view>

#include "text/zebconv.h"

// "\froman", "\fswiss", ... for a font name, and whether it has a fixed pitch;
// the families of the fonts ebooks name, by name.
struct TFontFamily {
  const char* word;  // empty when the family is not known
  bool fixedPitch;
};
TFontFamily FontFamilyOf(std::string_view name);

// Distance in screen pixels as twips (through points, rounded).
int PixelsToTwips(int pixels);

class TZEBtortf : public TZEBconv {
public:
  using TZEBconv::TZEBconv;
  void Convert(std::string_view markup, std::string& out) override;
  // The same from paragraphs handed over one by one.
  void Write(IConvSource& source, std::string& out);

  // Page settings in twips: an A4 page with 2.5 cm margins.
  int paperWidth = 11905, paperHeight = 16837;
  int marginTop = 1417, marginBottom = 1417, marginLeft = 1417, marginRight = 1417;
};
