// The HTML form of a selection: styled paragraphs, links, lists and tables,
// in UTF-8, so that browsers, mail programs and office suites paste it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "text/zebconv.h"

class TZEBtoHtml : public TZEBconv {
public:
  using TZEBconv::TZEBconv;
  void Convert(std::string_view markup, std::string& out) override;
  // The same from paragraphs handed over one by one.
  void Write(IConvSource& source, std::string& out);

  // The address a link object points to (UTF-8, not yet escaped); empty for
  // no link. The default gives web addresses as they are, pages of the ebook
  // as "lumo://" links and embedded files by their name.
  std::function<std::string(TZEBoggetto&)> href;
  // The document title (UTF-8); the ebook's title when empty.
  std::string title;
  // Picture sources by object: (immagineNew object) -> address; pictures are
  // left out when not set.
  std::function<std::string(TZEBoggetto&)> pictureSource;

  std::string DefaultHref(TZEBoggetto& link) const;
};

// "#RRGGBB" of a colour 0x00BBGGRR.
std::string CssColour(int32_t colour);
