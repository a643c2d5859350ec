// The main window's visited-pages history, the text zoom and the remark files,
// as models without a window: the window mirrors them in its combo, buttons,
// menu items and remark panel.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/shellservices.h"

class TSettings;
class IMessageSink;

// ---------------------------------------------------------------- history

class THistoryModel {
public:
  // "lumo://" + the ebook's full file name + "|" + the page.
  static std::string Entry(const std::string& fileName, int page);

  const std::vector<std::string>& Items() const { return items_; }
  int Index() const { return index_; }
  bool Recording() const { return recording_; }

  // A page was shown. While recording, an entry that differs from the current
  // one is inserted right after it and becomes current; the entries after it
  // stay where they are. True when an entry was inserted.
  bool PageChanged(const std::string& entry);

  // Goes to entry i: `follow` shows it with recording off. An index without an
  // entry follows nothing. True when an entry was followed.
  using TFollow = std::function<void(const std::string& entry)>;
  bool GoTo(int i, const TFollow& follow);
  bool Back(const TFollow& follow) { return GoTo(index_ - 1, follow); }
  bool Forward(const TFollow& follow) { return GoTo(index_ + 1, follow); }
  // Enter in the combo: only a text that is one of the entries is followed.
  bool GoToText(const std::string& text, const TFollow& follow);

  // BPrecedente, Bseguente and their menu items.
  bool CanGoBack() const { return index_ > 0; }
  bool CanGoForward() const { return index_ >= 0 && index_ < int(items_.size()) - 1; }

  void Clear();

private:
  std::vector<std::string> items_;
  int index_ = -1;
  bool recording_ = true;
};

// ---------------------------------------------------------------- zoom

// The program-wide text zoom in tenths.
class TZoomModel {
public:
  static constexpr int Min = 5, Max = 20, Default = 10;
  int Value() const { return value_; }
  // True when the value changed (the page must then be laid out again).
  bool Increase();
  bool Decrease();

private:
  int value_ = Default;
};

// ---------------------------------------------------------------- remarks

// The remark text as stored: line breaks "§!", "'" doubled, "§" doubled. Texts
// are UTF-8 here, so the section sign is two bytes.
std::string EncodeRemark(const std::string& text);
std::string DecodeRemark(const std::string& stored);

// The ebook's key for its remark file: the title (else the author, else
// "Senza nome") with every character but ASCII letters and digits as "_".
std::string RemarkKeyName(const std::string& title, const std::string& author);

// The remark file of an ebook: the path stored under its key name in the
// subkey "remarkfiles", else the ebook's folder + key name + ".rem"; empty
// without an ebook file.
std::string RemarkFilePath(TSettings& settings, const std::string& ebookFile, const std::string& keyName);

// An INI remark file: one section per page, key "remark".
class TRemarkFile {
public:
  static constexpr size_t MaxFileSize = 16 * 1024 * 1024;
  explicit TRemarkFile(std::string path) : path_(std::move(path)) {}
  const std::string& Path() const { return path_; }

  // The decoded remark of the page; empty when there is none or on errors.
  std::string Read(int page) const;
  // False when the file could not be written.
  bool Write(int page, const std::string& text) const;

private:
  std::string path_;
};

// Saves the remark of a page; when the file cannot be written (and the text
// is not empty) the reader is warned and chooses another file, which is
// remembered under the key name. False when nothing was saved.
bool SaveRemark(TSettings& settings, const std::string& keyName, std::string path, int page,
                const std::string& text, IMessageSink& messages, IShellDialogs& dialogs);
