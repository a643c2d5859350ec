#include "shell/history.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "document/pathutil.h"
#include "document/services.h"
#include "document/strutil.h"
#include "platform/settings.h"

namespace fs = std::filesystem;

// ---------------------------------------------------------------- history

std::string THistoryModel::Entry(const std::string& fileName, int page) {
  return "lumo://" + fileName + "|" + std::to_string(page);
}

bool THistoryModel::PageChanged(const std::string& entry) {
  if (!recording_) return false;
  if (index_ >= 0 && items_[size_t(index_)] == entry) return false;
  items_.insert(items_.begin() + (index_ + 1), entry);
  ++index_;
  return true;
}

bool THistoryModel::GoTo(int i, const TFollow& follow) {
  if (i < 0 || i >= int(items_.size())) return false;
  // The page shown while moving through the history is not recorded again.
  recording_ = false;
  struct TRestore {
    bool& flag;
    ~TRestore() { flag = true; }
  } restore{recording_};
  const std::string entry = items_[size_t(i)];
  if (follow) follow(entry);
  index_ = i;
  return true;
}

bool THistoryModel::GoToText(const std::string& text, const TFollow& follow) {
  auto it = std::find(items_.begin(), items_.end(), text);
  return it != items_.end() && GoTo(int(it - items_.begin()), follow);
}

void THistoryModel::Clear() {
  items_.clear();
  index_ = -1;
  recording_ = true;
}

// ---------------------------------------------------------------- zoom

bool TZoomModel::Increase() {
  if (value_ >= Max) return false;
  ++value_;
  return true;
}

bool TZoomModel::Decrease() {
  if (value_ <= Min) return false;
  --value_;
  return true;
}

// ---------------------------------------------------------------- remarks

namespace {

constexpr const char* Section = "\xC2\xA7";  // the section sign in UTF-8

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

// The file's lines without their line ends; nullopt when it cannot be read or
// is too large to be a remark file.
std::optional<std::vector<std::string>> ReadLines(const std::string& path, size_t limit) {
  std::vector<std::string> lines;
  std::error_code ec;
  if (!fs::exists(path, ec)) return lines;
  const auto size = fs::file_size(path, ec);
  if (ec || size > limit) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool IsSectionLine(const std::string& line, std::string* name = nullptr) {
  const std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  const size_t close = t.find(']');
  if (close == std::string::npos) return false;
  if (name) *name = Trim(std::string_view(t).substr(1, close - 1));
  return true;
}

// The value of `key` on a "key=value" line.
bool KeyValue(const std::string& line, std::string_view key, std::string* value) {
  const size_t eq = line.find('=');
  if (eq == std::string::npos || !str::EqualsNoCase(Trim(std::string_view(line).substr(0, eq)), key)) return false;
  if (value) *value = line.substr(eq + 1);
  return true;
}

}  // namespace

std::string EncodeRemark(const std::string& text) { return str::IniEscape(text, Section); }

std::string DecodeRemark(const std::string& stored) { return str::IniUnescape(stored, Section); }

std::string RemarkKeyName(const std::string& title, const std::string& author) {
  const std::string& base = !title.empty() ? title : author;
  if (base.empty()) return "Senza nome";
  std::string key = base;
  for (char& c : key) {
    const unsigned char u = static_cast<unsigned char>(c);
    const bool keep = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
    if (!keep) c = '_';
  }
  return key;
}

std::string RemarkFilePath(TSettings& settings, const std::string& ebookFile, const std::string& keyName) {
  const std::string stored = settings.ReadSub("remarkfiles", keyName);
  if (!stored.empty()) return stored;
  if (ebookFile.empty()) return {};
  const std::string folder = FolderOf(ebookFile);
  return (folder.empty() ? std::string() : folder + "/") + keyName + ".rem";
}

std::string TRemarkFile::Read(int page) const {
  if (page < 0) return {};
  const auto lines = ReadLines(path_, MaxFileSize);
  if (!lines) return {};
  const std::string wanted = std::to_string(page);
  bool inside = false;
  for (const std::string& line : *lines) {
    std::string name, value;
    if (IsSectionLine(line, &name)) inside = str::EqualsNoCase(name, wanted);
    else if (inside && KeyValue(line, "remark", &value)) return DecodeRemark(value);
  }
  return {};
}

bool TRemarkFile::Write(int page, const std::string& text) const {
  if (page < 0 || path_.empty()) return false;
  auto lines = ReadLines(path_, MaxFileSize);
  if (!lines) return false;
  const std::string wanted = std::to_string(page);
  const std::string entry = "remark=" + EncodeRemark(text);
  // Where the page's section is and where its key line or its end lies.
  int section = -1, keyLine = -1, sectionEnd = int(lines->size());
  for (int i = 0; i < int(lines->size()); ++i) {
    std::string name;
    if (IsSectionLine((*lines)[size_t(i)], &name)) {
      if (section >= 0) {
        sectionEnd = i;
        break;
      }
      if (str::EqualsNoCase(name, wanted)) section = i;
    } else if (section >= 0 && keyLine < 0 && KeyValue((*lines)[size_t(i)], "remark", nullptr)) {
      keyLine = i;
    }
  }
  if (keyLine >= 0) {
    (*lines)[size_t(keyLine)] = entry;
  } else if (section >= 0) {
    while (sectionEnd > section + 1 && Trim((*lines)[size_t(sectionEnd - 1)]).empty()) --sectionEnd;
    lines->insert(lines->begin() + sectionEnd, entry);
  } else {
    lines->push_back("[" + wanted + "]");
    lines->push_back(entry);
  }
  // Written beside the file and moved over it, so a failed write keeps the old remarks.
  const std::string temp = path_ + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    for (const std::string& l : *lines) out << l << "\r\n";
    out.close();
    if (!out) {
      std::error_code ec;
      fs::remove(temp, ec);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temp, path_, ec);
  if (!ec) return true;
  fs::remove(temp, ec);
  return false;
}

bool SaveRemark(TSettings& settings, const std::string& keyName, std::string path, int page,
                const std::string& text, IMessageSink& messages, IShellDialogs& dialogs) {
  for (;;) {
    if (!path.empty() && TRemarkFile(path).Write(page, text)) return true;
    if (text.empty()) return false;
    messages.Message(TMsgKind::Warning,
                     "Non riesco a salvare i commenti nel modo predefinito. Nella finestra seguente potrete "
                     "scegliere dove salvare i commenti per il documento corrente.");
    TSaveFileRequest req;
    req.filter = "File Commenti (*.rem)|*.rem;";
    req.defaultExt = "rem";
    const auto chosen = dialogs.AskSavePath(req);
    if (!chosen || chosen->empty()) return false;
    settings.WriteSub("remarkfiles", keyName, *chosen);
    path = *chosen;
  }
}
