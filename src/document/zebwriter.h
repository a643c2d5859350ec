// Writes ZEB files: used by zebtool build, by the tests and by the benchmarks.
// The writer lays out header, kind directory, record area and blob area; each
// added object gets its payload positions and sizes filled into its record.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "document/zebtypes.h"

constexpr int ZebHeaderSize = 1978;
constexpr int ZebRecordMax = 668;

// Record size the writer uses for each kind (the current record layouts).
int DefaultRecordSize(int kind);

class TZebWriter {
public:
  TZebWriter();  // header with the new-document values, K = 26, version 2

  // Raw header access (1978 bytes) for fields without a setter.
  uint8_t* Header() { return header_.data(); }
  void SetTitle(const std::string& title);
  void SetAuthor(const std::string& s);
  void SetCompany(const std::string& s);
  void SetRights(const std::string& s);
  void SetExportPrefix(const std::string& s);
  void SetHeaderI32(int offset, int32_t v);
  void SetHeaderI16(int offset, int16_t v);
  void SetHeaderByte(int offset, uint8_t v);

  // A record filled with 0 bytes of the kind's record size, with the state byte
  // set to the kind's "new"/normal value; callers fill the fields they need.
  std::vector<uint8_t> NewRecord(int kind) const;

  // Appends an object; returns its index in its kind's table. Build() pads
  // the record with zeros (or cuts it) to the kind's record size; the main payload
  // position (offset 0) and size field and the attribute payload fields are
  // written by Build() for kinds that have them (empty payload: size 0).
  int Add(int kind, std::vector<uint8_t> record, std::vector<uint8_t> mainPayload = {},
          std::vector<uint8_t> attrPayload = {});
  int Count(int kind) const;
  std::vector<uint8_t>& RecordOf(int kind, int index);

  // Convenience builders (names and texts in the ebook's code page).
  int AddPage(const std::string& title, const std::string& markup, int sequence = 0,
              int position = -1, int header = -1, int footer = -1);
  void SetPageKeywords(int page, const std::vector<int>& keywordIndices);
  int AddInternetLink(const std::string& target);
  int AddFile(const std::string& fileName, std::vector<uint8_t> bytes);   // genLink
  int AddPicture(const std::string& name, const std::string& fileName, std::vector<uint8_t> bytes,
                 int width = 0, int height = 0);                         // immagine
  int AddPictureRef(int pictureIndex, const std::string& name = "");      // immagineNew
  int AddKeyword(const std::string& word);
  // Styles 0 and 1 are added automatically by Build() when none were added.
  int AddStyle(const std::string& name, const std::string& font = "Arial", int size = 10);
  // Adds styles 0 and 1 now (when no style exists yet), so that further
  // styles get the numbers from 2 on.
  void AddDefaultStyles();
  // Document properties in a dbloc; names are lower-cased; header field 1758 set.
  void SetProperty(const std::string& name, const std::string& value);

  // Knobs for damaged-file tests.
  void SetRecordSize(int kind, int size);   // record size used for that kind
  void SetLastKind(int k);                  // header byte 1620 and directory length
  void SetVersion(int v);

  std::vector<uint8_t> Build() const;
  bool Save(const std::string& path) const;

private:
  struct Obj {
    std::vector<uint8_t> record, main, attr;
  };
  int32_t Revision() const;
  std::vector<uint8_t> FullRecord(int kind) const;  // NewRecord padded to ZebRecordMax
  std::vector<uint8_t> StyleRecord(const std::string& name, const std::string& font, int size) const;
  std::vector<uint8_t> PropertyPayload() const;
  static void FillPayloadFields(int kind, std::vector<uint8_t>& rec, int64_t& blobPos, const Obj& o);

  std::array<uint8_t, ZebHeaderSize> header_{};
  std::array<std::vector<Obj>, KindCount> objs_;
  std::array<int, KindCount> recSize_{};
  std::vector<std::pair<std::string, std::string>> props_;
  int lastKind_ = 26;
};
