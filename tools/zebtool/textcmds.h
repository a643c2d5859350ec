// zebtool commands over the text engine: paragraphs, layout, rewrite.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

class TZEBset;
class TZEBtesto;

nlohmann::ordered_json ParagraphsJson(TZEBset& doc, const TZEBtesto& page);
nlohmann::ordered_json LayoutJson(TZEBset& doc, const TZEBtesto& page, int width, int zoom);
std::string RewriteMarkup(TZEBset& doc, const TZEBtesto& page);
