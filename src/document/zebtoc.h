// The contents tree of an ebook: a text stream kept in a shortObj object, one
// node per line ("a" + level + "," + number + "," + text), nodes in pre-order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/zebtypes.h"

class TZEBset;

enum class TTocKind { Document, Chapter, Page, Plain, Other };

struct TTocNode {
  std::string text;  // what the tree shows (the page's name for a page node)
  TTocKind kind = TTocKind::Plain;
  TObjId id = NoObject;  // page nodes only
  int32_t number = -1;   // the stream's number: -3 chapter, -2 document, -1 plain, else an object id
  std::vector<TTocNode> children;
};

constexpr const char* TocDecodeError = "error decoding nodes";
constexpr const char* TocLoadError = "error loading nodes";

struct TTocTree {
  std::vector<TTocNode> roots;
  // The messages the tree shows while loading, in order (at most
  // TocMaxMessages; loading goes on after each).
  std::vector<std::string> messages;
  size_t nodeCount = 0;
};

// Bounds on what a damaged or hostile stream can make the reader build.
constexpr size_t TocMaxDepth = 256;
constexpr size_t TocMaxNodes = 200000;
constexpr size_t TocMaxText = 1024;
constexpr size_t TocMaxMessages = 10;

// Parses a tree stream. `objects` is the kind whose objects page nodes name.
TTocTree LoadTocStream(TZEBset& doc, std::string_view stream, int objects);

// The tree for the ebook, as the contents panel shows it: from the stream of
// the tree object, or the default tree (the ebook's file name with every live
// object of the kind under it), which is then kept as the object's stream.
TTocTree LoadContentsTree(TZEBset& doc, int objects = testoHtml);

// The stream form of a tree.
std::string WriteTocStream(const std::vector<TTocNode>& roots);
