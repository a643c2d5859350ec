// Stored objects of an ebook: one fixed record, a main payload and an
// attribute payload. TZEBtesto adds what texts (pages, headers, cells) need.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/privatefile.h"
#include "document/zebrecord.h"
#include "document/zebtypes.h"

class TZEBset;
class TZEBtesto;
class TZEBpicture;
class TZEBoggetto;

enum class TExtractResult { Ok, ReadFailed, WriteFailed };

// Kinds whose objects a text references as its own, numbered in order of
// first reference (container ids 0x6F000000 + n of its display copy).
bool EmbeddedKind(int kind);

struct TEbookLink {
  bool isEbook = false;
  std::string path;
  bool same = false;
  int page = 0;
};

class TZEBoggetto {
public:
  TZEBoggetto(TZEBset* doc, int kind);
  virtual ~TZEBoggetto();
  TZEBoggetto(const TZEBoggetto&) = delete;
  TZEBoggetto& operator=(const TZEBoggetto&) = delete;

  int Kind() const { return kind_; }
  int32_t Index() const { return index_; }
  TObjId Id() const { return MakeId(kind_, index_); }
  TZEBset* Document() const { return doc_; }
  bool IsStored() const { return stored_; }
  uint8_t State() const { return rec_.Byte(4); }
  void SetState(uint8_t s) { rec_.SetByte(4, s); }
  TRecord& Rec() { return rec_; }
  const TRecord& Rec() const { return rec_; }

  // Kind change: an object placed in a table leaves it first.
  void SetKind(int kind);
  virtual void Assign(const TZEBoggetto& other);
  virtual void Clear();
  void InitNew();
  void StampRevision(int32_t rev);
  bool IsDeleted() const;

  std::string Name() const;
  void SetName(std::string_view name);
  std::string FileName() const;
  std::string Description() const;

  // Main payload bytes (read from the file for file-backed payloads; empty when
  // absent or unreadable). `ok` tells a failed read from an empty payload.
  std::string MainPayload(bool* ok = nullptr) const;
  uint32_t MainSize() const { return main_.Size(); }
  bool HasMainPayload() const { return main_.Present(); }
  void SetMainPayload(std::string bytes);
  std::string AttrPayload() const;
  void SetAttrPayload(std::string bytes);
  // Text part of the attribute payload (after the binary block).
  std::string AttributeText() const;
  std::string GetAttribute(std::string_view name) const;

  // dbloc property list: names (lower case) with their values.
  std::vector<std::pair<std::string, std::string>> Properties();
  std::string GetProperty(std::string_view name);
  bool SetProperty(std::string_view name, std::string_view value);

  // Writes the embedded file to `target`; ExtractToFile replaces what is there.
  TExtractResult Extract(const std::string& target, TCreateMode mode) const;
  bool ExtractToFile(const std::string& target) const;
  std::string ExtractToTemp();
  const std::string& ExternalFile() const;
  void SetExternalFile(std::string path);

  // Decoded picture of immagine / immagineNew objects; null for other kinds.
  TZEBpicture* Picture();
  // Picture object of an immagineNew that is not in the document.
  void SetOwnPicture(std::unique_ptr<TZEBpicture> pic);

  TObjId ContainerId(TZEBtesto* text);
  TZEBtesto* ContainerText() const;

  // Whether a page shows this object through a control of its own.
  bool HasView() const;
  void* FrameSet() const;
  void SetFrameSet(void* fs);

  // Transfer record (clipboard and copies).
  void WriteTransfer(std::string& out) const;
  // Reads one transfer record at data[pos]; advances pos. False on malformed data.
  bool ReadTransfer(std::string_view data, size_t& pos);

  // Internal: used by the document while loading and placing objects.
  void Place(int32_t index) { index_ = index; stored_ = true; }
  void Unplace() { stored_ = false; }
  void AttachRecord(const uint8_t* base, int size) { rec_.Attach(base, size); }
  TPayload& MainRef() { return main_; }
  TPayload& AttrRef() { return attr_; }
  bool needsInit = false;  // old record without usable payload

protected:
  struct Extra;
  Extra& X();
  const Extra* XC() const { return extra_.get(); }
  std::string ComputedName() const;
  std::string DescriptionRaw() const;
  std::string ReadPayload(const TPayload& p, bool* ok) const;
  TExtractResult CopyPayload(TFileWriter& out) const;
  void BuildPropertyList();

  TZEBset* doc_;
  TRecord rec_;
  TPayload main_, attr_;
  int32_t index_ = -1;
  int32_t containerRef_ = -1;
  uint8_t kind_;
  bool stored_ = false;
  std::unique_ptr<Extra> extra_;
};

class TZEBtesto : public TZEBoggetto {
public:
  explicit TZEBtesto(TZEBset* doc) : TZEBoggetto(doc, testoHtml) {}
  ~TZEBtesto() override;
  void Clear() override;

  // Page text without markup: "<Z" gives CR LF, "<D".."<d>", "<F".."<f>",
  // "<R".."<r>" are skipped on current-format pages, references decoded.
  std::string PlainText(bool lowerCase = false) const;

  TZEBtesto* PreviousPage();
  TZEBtesto* NextPage();
  TZEBtesto* SequenceNeighbour(int step);

  // Display copy of a page, with header and footer texts when asked.
  std::unique_ptr<TZEBtesto> PageCopy(bool withHeaders, void* frameSet) const;
  TZEBtesto* HeaderText() const { return header_.get(); }
  TZEBtesto* FooterText() const { return footer_.get(); }

  // Objects that live only inside this text.
  int AddEmbedded(TZEBoggetto* obj);
  const std::vector<TZEBoggetto*>& Embedded() const { return embedded_; }
  TZEBoggetto* ResolveContainerId(TObjId id) const;
  // Objects referenced from the text ("<$" ids of the kinds a page embeds).
  std::vector<TZEBoggetto*> ReferencedObjects() const;

private:
  std::unique_ptr<TZEBtesto> header_, footer_;
  std::vector<TZEBoggetto*> embedded_;
  std::vector<std::unique_ptr<TZEBoggetto>> ownedEmbedded_;
};
