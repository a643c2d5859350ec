// The page text as printing reads it.
#pragma once

#include <string>
#include <string_view>

// The markup without the link starts of web addresses and archive links
// (object kinds 1 and 2): on paper their text keeps the surrounding font.
// Everything else, link ends included, is left as it is.
std::string PrintMarkup(std::string_view markup);
