// The native clipboard stream of a selection ("Lumo30 objects"): the objects
// the selected text needs, each as a transfer record, then the text itself
// in stored form.
//
//   int32 version (1; 1 and 3 are read)
//   int32 n, n x (int32 kind, int32 id, transfer record)      link objects
//   int32 n, n x (int32 kind, transfer record)                styles, pictures
//   int32 n, n x (int32 kind, int32 number, transfer record)  inline objects
//   int32 paragraph count, the paragraphs, byte 0
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class IObjectIndex;
class TZEBoggetto;
class TZEBset;
class TZEBtesto;

// Name under which the stream is registered on the clipboard.
inline constexpr const char* kNativeClipFormat = "Lumo30 objects";

// What a selection refers to, gathered from its stored markup (table cells
// included, however deep they nest).
struct TNativeObjects {
  // Links of the text's own list used in the range, the links inline objects
  // follow (pictures and their zones, buttons, reference panels) and, for
  // special links, the objects each one leads to, up to five steps on.
  std::vector<TZEBoggetto*> links;
  // Paragraph styles, pictures shown by images and buttons, backgrounds of
  // tables and cells.
  std::vector<TZEBoggetto*> related;
  // Objects standing in the text, in order of appearance.
  std::vector<TZEBoggetto*> inlines;
  TZEBoggetto* firstPicture = nullptr;
};

// `index` resolves object markers, `text` the ids of its own link list.
TNativeObjects CollectNativeObjects(std::string_view markup, TZEBset* doc, IObjectIndex* index,
                                    const TZEBtesto* text);

// The whole stream; `markup` ends with its 0 byte.
std::string WriteNativeClip(const TNativeObjects& objects, IObjectIndex* index, const TZEBtesto* text,
                            int paragraphs, const std::string& markup);

// Names of the forms a picture and a zone of a picture copy themselves in.
inline constexpr const char* kPictureClipFormat = "Lumo30 picture";
inline constexpr const char* kZoneClipFormat = "Lumo30 zone";

// A picture as a stream of the same layout, version 3: the links it follows,
// the pictures it shows, the picture object (an immagineNew) as inline object
// number 1, and one paragraph that shows it, "<Z S0 ><$FF000001>".
std::string WritePictureClip(TZEBoggetto& picture, const std::vector<TZEBoggetto*>& links,
                             const std::vector<TZEBoggetto*>& pictures);
// A picture object (outside any table) showing the document's picture
// `image` at its stored size: what a copied picture of the document needs.
std::unique_ptr<TZEBoggetto> NewPictureObject(TZEBset& doc, const TZEBoggetto& image);
// A zone's form: int32 2 and the zone's 16-byte slot of the picture record.
std::string WriteZoneClip(const TZEBoggetto& picture, int slot);

// A stream read back. Objects are new, outside any table of the document.
struct TNativeEntry {
  int32_t kind = 0;
  int32_t id = -1;  // link id, or number in the page's object index; -1 for related objects
  std::unique_ptr<TZEBoggetto> object;
};
struct TNativeClip {
  int32_t version = 0;
  std::vector<TNativeEntry> links, related, inlines;
  int32_t paragraphs = 0;
  std::string markup;  // ends with its 0 byte
  // Related objects of a kind a stream may not carry, left out.
  int skipped = 0;
};

// False when the data is not a stream of a version this program reads, or
// ends before its text; counts larger than the data can hold count as damage.
bool ReadNativeClip(std::string_view data, TZEBset* doc, TNativeClip& out);
