// zebtool build: the manifest's form fields, buttons, form starts and
// multimedia objects ("forms"), written with the reader's record fields.
#pragma once

#include <functional>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "document/zebtypes.h"

class TZebWriter;

struct TFormBuildContext {
  TZebWriter& w;
  // Text in the ebook's code page, at most maxLen bytes (fails otherwise).
  std::function<std::string(const std::string& utf8, const std::string& where, size_t maxLen)> enc;
  // "page:NAME", "web:NAME" or "file:NAME" as an object id.
  std::function<int32_t(const std::string& ref, const std::string& where)> target;
  // Index of a file (genLink) or picture (immagine) by its manifest name.
  std::function<int(const std::string& name, const std::string& where)> file, picture;
};

// Reads the "forms" list; returns each object's id by its name. Throws
// std::runtime_error with the place of the fault.
std::map<std::string, TObjId> ReadFormObjects(const nlohmann::json& list, TFormBuildContext& ctx);
