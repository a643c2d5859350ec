// zebtool build: the records of the page objects a manifest describes
// (tables, placed pictures, anchors, floating frames), and picture sizes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// What the object builders need from the manifest reader.
struct TObjectContext {
  // Index of a named entry ("pictures", "pages") or a failure.
  std::function<int(const char* list, const std::string& name, const std::string& where)> lookup;
  // Object id of a link target ("page:NAME", "web:NAME", "file:NAME").
  std::function<int32_t(const std::string& ref, const std::string& where)> target;
  // Text in the ebook's code page, at most maxLen bytes.
  std::function<std::string(const std::string& utf8, const std::string& where, size_t maxLen)> encode;
  std::function<int32_t(const nlohmann::json& colour, const std::string& where)> colour;
  // Stored width and height of an entry of "pictures".
  std::function<std::pair<int, int>(int picture)> pictureSize;
};

// "<Z S2 A2 N10 >" from a style number and keys written in any order.
std::string ParagraphHeaderText(int style, const std::string& keys, const std::string& where);

// Width and height read from a GIF, PNG or JPEG header.
bool PictureSize(const std::string& d, int& w, int& h);

// A tabellaHtml record and its cell backgrounds (main payload) from an
// entry of "tables".
void TableRecord(const nlohmann::json& t, const TObjectContext& ctx, const std::string& where,
                 std::vector<uint8_t>& rec, std::vector<uint8_t>& payload);
// The cell texts of a table, row by row, as given in the manifest.
std::vector<std::string> TableCellSources(const nlohmann::json& t, const std::string& where, const TObjectContext& ctx);
// An immagineNew record from an entry of "images"; `absolute` tells whether
// it stands at page coordinates.
void ImageRecord(const nlohmann::json& p, const TObjectContext& ctx, const std::string& where,
                 std::vector<uint8_t>& rec, std::string& description, bool& absolute);
// The inputStat record of an entry of "floating".
void FloatingRecord(const nlohmann::json& f, const TObjectContext& ctx, const std::string& where,
                    std::vector<uint8_t>& rec);
