#include "shell/bookmemory.h"

#include <filesystem>

#include "document/strutil.h"
#include "platform/settings.h"

void TBookMemory::Load(TSettings& settings) {
  books_.clear();
  for (size_t i = 0; i < MaxBooks; ++i) {
    const std::string v = settings.ReadSub(Subkey, "item" + std::to_string(i));
    const size_t a = v.find('|'), b = a == std::string::npos ? a : v.find('|', a + 1);
    if (b == std::string::npos) continue;
    TEntry e;
    e.size = std::strtoll(v.substr(0, a).c_str(), nullptr, 10);
    e.page = str::ToIntDef(v.substr(a + 1, b - a - 1), -1);
    e.path = v.substr(b + 1);
    if (e.page >= 0 && e.page <= 0xFFFFFF && !e.path.empty()) books_.push_back(std::move(e));
  }
}

void TBookMemory::Save(TSettings& settings) const {
  for (size_t i = 0; i < MaxBooks; ++i) {
    const std::string name = "item" + std::to_string(i);
    if (i < books_.size())
      settings.WriteSub(Subkey, name,
                        std::to_string(books_[i].size) + "|" + std::to_string(books_[i].page) + "|" + books_[i].path);
    else if (!settings.ReadSub(Subkey, name).empty())
      settings.WriteSub(Subkey, name, "");
  }
}

int TBookMemory::PageFor(const std::string& path, int64_t size) const {
  for (const TEntry& e : books_)
    if (e.path == path) return e.size == size ? e.page : -1;
  return -1;
}

void TBookMemory::Remember(const std::string& path, int64_t size, int page) {
  if (path.empty() || page < 0 || size < 0) return;
  std::erase_if(books_, [&](const TEntry& e) { return e.path == path; });
  books_.insert(books_.begin(), TEntry{path, size, page});
  if (books_.size() > MaxBooks) books_.resize(MaxBooks);
}

int64_t FileSizeOf(const std::string& path) {
  std::error_code ec;
  const auto n = std::filesystem::file_size(path, ec);
  return ec ? -1 : int64_t(n);
}
