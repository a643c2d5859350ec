// The in-memory ebook: header, 27 object tables, the open file, the scratch
// folder, the picture cache and the views bound to the document.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "document/codepage.h"
#include "document/imagecache.h"
#include "document/services.h"
#include "document/zebobject.h"
#include "document/zebtypes.h"

class TZEBpicture;

constexpr int HeaderSize = 1978;

// Header field offsets used across the program.
namespace hdr {
constexpr int Title = 4, ContentsTree = 1342, ExportPrefix = 1346, Company = 1380, Rights = 1460,
              Author = 1540, LastKind = 1620, Version = 1621, SummaryPage = 1624, CoverPage = 1628,
              Revision = 1632, FixedFont = 1642, PropFont = 1682, DefaultHeader = 1724,
              DefaultFooter = 1728, CustomTree = 1732, BackColour = 1736, BackPicture = 1740,
              Language = 1744, TextColour = 1746, LinkColour = 1750, VisitedColour = 1754,
              Properties = 1758, ContentsAvailable = 1783, BackAnchoring = 1784, FullScreen = 1785,
              WindowPresentation = 1786;
}

// A frame set bound to the document: told to drop what it shows before the
// document frees its objects.
class IDocumentView {
public:
  virtual ~IDocumentView() = default;
  virtual void DropDisplay() = 0;
  virtual TZEBoggetto* FindFrameByName(const std::string& name) { (void)name; return nullptr; }
};

class TZebFile;

class TZEBset {
public:
  explicit TZEBset(TServices services = {});
  ~TZEBset();
  TZEBset(const TZEBset&) = delete;
  TZEBset& operator=(const TZEBset&) = delete;

  bool Open(const std::string& path);
  void SetZEBFileName(const std::string& path) { Open(path); }
  const std::string& ZEBFileName() const { return fileName_; }
  void NewDocument();
  void Clear();

  TZEBoggetto* ObjectById(TObjId id) const;
  TZEBoggetto* ObjectAt(int kind, int64_t index) const;
  int Count(int kind) const;
  TZEBtesto* Page(int index) const;

  // Places a new object at the end of its kind's table; returns it.
  TZEBoggetto* Store(std::unique_ptr<TZEBoggetto> obj);
  std::unique_ptr<TZEBoggetto> NewObject(int kind);

  // Header.
  const uint8_t* Header() const { return header_.data(); }
  uint8_t* MutableHeader() { return header_.data(); }
  int32_t HeaderI32(int off) const { return GetI32(header_.data() + off); }
  int16_t HeaderI16(int off) const { return GetI16(header_.data() + off); }
  uint8_t HeaderByte(int off) const { return header_[off]; }
  std::string HeaderString(int off, int maxLen) const { return GetPString(header_.data() + off, maxLen); }
  std::string Title() const { return HeaderString(hdr::Title, 255); }
  int Version() const { return HeaderI16(hdr::Version); }
  int32_t Revision() const { return HeaderI32(hdr::Revision); }
  int CoverPage() const { return HeaderI32(hdr::CoverPage); }
  int SummaryPage() const { return HeaderI32(hdr::SummaryPage); }
  TZEBoggetto* PageFrameLayout(int page) const;

  // Document properties.
  TZEBoggetto* DocumentProperties(bool create = true);
  std::string GetDocProperty(const std::string& name);
  void SetDocProperty(const std::string& name, const std::string& value);
  std::vector<std::pair<std::string, std::string>> DocProperties();
  TZEBoggetto* ContentsTreeObject();
  TZEBoggetto* CustomTreeObject();

  std::string ExpPrefix();
  void SetExpPrefix(const std::string& v);
  std::string CharSet();
  void SetCharSet(const std::string& v);
  int FontCharSet();
  void SetFontCharSet(int v);
  int GlobalMargin();
  const TCodePage& CodePage();

  TZEBoggetto* DefaultParaStyle() const { return defStyle_; }
  TZEBoggetto* DefaultTableStyle() const { return defTableStyle_; }

  std::string TempFolder();
  std::string UniqueTempFile(const std::string& fileName);
  std::string ResolveCdDrive(const std::string& path, bool mayAsk);
  TEbookLink ResolveEbookLink(const std::string& link, int page = -2);

  // Title of page `page` in another ebook file, read straight from its record.
  static std::string PageTitleInFile(const std::string& path, int page);

  // Views.
  void AttachView(IDocumentView* v);
  void DetachView(IDocumentView* v);
  TZEBoggetto* FindFrameInOtherViews(const std::string& name, IDocumentView* skip);

  TImageCache& Images() { return images_; }
  int UndoDeep = 0;

  std::function<void(TZEBset&)> OnBeforeNew, OnAfterNew;
  TZEBset* WrapperSet = nullptr;
  bool Modified() const { return modified_; }
  void SetModified() { modified_ = true; }

  TServices& Services() { return services_; }
  // Numbers the titles of new pages ("Senza titolo 1", "Senza titolo 2", ...).
  int NextUntitledNumber() { return ++untitled_; }
  // How deep names and descriptions are following references right now.
  int& FollowDepth() const { return followDepth_; }
  bool Say(TMsgKind kind, const std::string& text);

  // Payload access for objects whose payload stays in the file.
  bool ReadFile(int64_t pos, void* buf, size_t n) const;
  // The same without noting a failure: safe to call from several threads at
  // once while the document is not changed.
  bool ReadFileQuietly(int64_t pos, void* buf, size_t n) const;
  // Payloads are read on demand: when the file shrinks or becomes unreadable
  // while open, a read fails. The first failure per opened file goes to
  // OnReadFailure (with the file name) or, without one, to the messages.
  bool ReadFailed() const { return readFailed_; }
  // Whether the open file still holds n bytes at pos; a failed read when not.
  bool CanRead(int64_t pos, int64_t n) const;
  std::function<void(const std::string& fileName)> OnReadFailure;
  static std::string ReadErrorText(const std::string& fileName) { return "Errore nella lettura file: " + fileName; }

  // Only a reader closing an ebook it opened completely honours "delonex";
  // tools and half-loaded files never delete anything.
  void SetDeleteOnCloseAllowed(bool allowed) { deleteOnCloseAllowed_ = allowed; }
  int64_t FileSize() const;
  bool HasFile() const { return file_ != nullptr; }

  // Id remapping of a converted old file (old ids, new ids).
  const std::vector<int32_t>& OldIds() const { return oldIds_; }
  const std::vector<int32_t>& NewIds() const { return newIds_; }

private:
  enum class LoadResult { Ok, Empty, Refused };
  LoadResult Load(const std::string& path);
  bool AcceptHeader(const std::string& path);
  void LoadRecords(int lastKind, int64_t fileSize);
  void LoadObject(int kind, int32_t index, const uint8_t* rec, int recSize, int64_t blobBase, int64_t fileSize);
  void ConvertVersion1();
  void InitHeader();
  void MakeDefaultStyles();
  void ClearTables();
  void DeleteTempFiles();
  void NoteReadFailure() const;

  TServices services_;
  std::array<uint8_t, HeaderSize> header_{};
  std::array<std::vector<std::unique_ptr<TZEBoggetto>>, KindCount> tables_;
  std::unique_ptr<uint8_t[]> records_;  // the record block of the open file
  std::unique_ptr<TZebFile> file_;
  std::string fileName_;
  std::vector<int32_t> oldIds_, newIds_;
  std::vector<IDocumentView*> views_;
  TImageCache images_{services_};
  TZEBoggetto* defStyle_ = nullptr;
  TZEBoggetto* defTableStyle_ = nullptr;
  bool modified_ = false;
  bool openedWhole_ = false;
  bool deleteOnCloseAllowed_ = false;
  mutable bool readFailed_ = false;
  mutable int followDepth_ = 0;
  int untitled_ = 0;
  std::mt19937 rng_{std::random_device{}()};
  int globalMargin_ = -1;
  bool globalMarginRead_ = false;
  std::string expPrefix_;
  std::string charSet_ = "\xA3\xA3";
  int fontCharSet_ = 255;
  std::unique_ptr<TCodePage> codePage_;
  std::string tempFolder_;
  uint32_t instanceId_;
};
