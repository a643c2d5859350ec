// The document's paths: its scratch folder, the CD folder and ebook links.
#include <cstdio>
#include <filesystem>
#include <random>
#include <unistd.h>

#include "document/pathutil.h"
#include "document/privatefile.h"
#include "document/strutil.h"
#include "document/zebfile.h"
#include "document/zebset.h"

namespace fs = std::filesystem;

// ---------------------------------------------------------------- temp files

std::string TZEBset::TempFolder() {
  if (!tempFolder_.empty()) return tempFolder_;
  std::string base = services_.system ? services_.system->TempPath() : std::string();
  if (base.empty()) base = "/tmp";
  uint32_t owner = services_.system ? services_.system->MainWindowHandle() : 0;
  if (owner == 0) owner = static_cast<uint32_t>(::getpid());
  char name[32];
  std::snprintf(name, sizeof name, "%08X_%08X_", owner, instanceId_);
  // A name nobody can guess, made by us: a folder someone else made first
  // (or a link planted in its place) is never used or deleted.
  tempFolder_ = MakePrivateFolder(base, name);
  return tempFolder_;
}

std::string TZEBset::UniqueTempFile(const std::string& fileName) {
  const std::string folder = TempFolder();
  if (folder.empty()) return {};
  std::string candidate = folder + "/" + str::SanitizeFileName(fileName);
  std::error_code ec;
  // A link counts as taken, even one that points nowhere.
  auto taken = [&ec](const std::string& p) { return fs::exists(fs::symlink_status(p, ec)); };
  for (int tries = 0; taken(candidate) && tries < 10000; ++tries) {
    char part[16];
    std::snprintf(part, sizeof part, "re%03X%03X", unsigned(rng_() % 4096), unsigned(rng_() % 4096));
    candidate = folder + "/" + part + ExtensionOf(candidate);
  }
  return candidate;
}

// ---------------------------------------------------------------- links

std::string TZEBset::ResolveCdDrive(const std::string& path, bool mayAsk) {
  std::string cd;
  if (services_.settings) {
    cd = services_.settings->ReadValue("\\SOFTWARE\\Norv\\LumoRD\\", "cddrive");
    // A missing key means no folder was chosen yet.
    if (cd == "notfound") cd.clear();
  }
  if (cd.empty() && mayAsk && services_.messages) {
    auto chosen = services_.messages->ChooseFolder("Selezionare percorso per il CD / Cambiare CD:");
    if (chosen) {
      cd = *chosen;
      if (services_.settings) services_.settings->WriteValue("\\SOFTWARE\\Norv\\LumoRD\\", "cddrive", cd);
    }
  }
  if (!cd.empty() && (cd.back() == '\\' || cd.back() == '/')) cd.pop_back();
  std::string out = path;
  // Replaced left to right: a CD folder that itself contains the prefix cannot loop.
  size_t from = 0;
  for (;;) {
    size_t at = str::Lower(out).find("cddrive:", from);
    if (at == std::string::npos) break;
    std::string rest = out.substr(at + 8);
    std::string repl = cd;
    if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) repl += "\\";
    out = out.substr(0, at) + repl + rest;
    from = at + repl.size();
  }
  return out;
}

TEbookLink TZEBset::ResolveEbookLink(const std::string& link, int page) {
  TEbookLink r;
  // The prefix is compared as written, as link dispatch does: "LUMO://" is
  // an address for the desktop.
  if (!str::StartsWith(link, "lumo:")) return r;
  r.isEbook = true;
  size_t start = str::StartsWith(link, "lumo://") ? 7 : 5;
  size_t bar = link.find('|', start);
  std::string file = link.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
  if (str::StartsWithNoCase(file, "cddrive:")) {
    file = NativePath(ResolveCdDrive(file, page == -2));
    std::error_code ec;
    if (!file.empty()) file = fs::absolute(file, ec).lexically_normal().string();
  }
  std::string native = NativePath(file);
  // Only the open ebook's own full name (or no file at all) is this ebook: a
  // relative link to it opens it again.
  r.same = file.empty() || str::EqualsNoCase(native, fileName_);
  if (!r.same && !HasRoot(file) && !fileName_.empty()) {
    std::string folder = FolderOf(fileName_);
    native = (folder.empty() ? native : folder + "/" + native);
  }
  r.path = r.same ? fileName_ : native;
  if (bar == std::string::npos) {
    r.page = 0;
  } else {
    std::string num = link.substr(bar + 1, 12);
    if (num.empty()) {
      r.page = -2;
    } else {
      r.page = str::ToIntDef(num, 0);
      if (r.page < 0) r.page = 0;
    }
  }
  return r;
}

std::string TZEBset::PageTitleInFile(const std::string& path, int page) {
  TZebFile f;
  if (page < 0 || !f.Open(path)) return {};
  uint8_t h[HeaderSize];
  if (!f.ReadAt(0, h, HeaderSize) || str::Upper(std::string(reinterpret_cast<char*>(h), 4)) != "MAVO")
    return {};
  int k = h[hdr::LastKind];
  if (k > 26) return {};
  uint8_t e[12];
  if (!f.ReadAt(HeaderSize, e, 12)) return {};
  int64_t recordBase = HeaderSize + 12 * int64_t(k + 1) + 4;
  int32_t off = GetI32(e), recSize = GetI32(e + 4), count = GetI32(e + 8);
  if (page >= count || recSize < 77) return {};
  uint8_t rec[72];
  if (!f.ReadAt(recordBase + off + int64_t(page) * recSize + 5, rec, 72)) return {};
  return GetPString(rec, 71);
}
