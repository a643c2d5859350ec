#include "network/update.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

#include "document/zebset.h"
#include "document/zebtypes.h"
#include "network/http.h"

namespace fs = std::filesystem;

namespace update {

namespace {

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// Keeps every message of a trial opening to itself.
struct TQuietSink : IMessageSink {
  bool Message(TMsgKind, const std::string&) override { return false; }
};

// Splits the memo's text at its line breaks.
void PrintLines(std::ostream& out, const std::string& text) {
  size_t from = 0;
  for (;;) {
    const size_t br = text.find("\r\n", from);
    out << text.substr(from, br == std::string::npos ? std::string::npos : br - from) << "\n";
    if (br == std::string::npos) break;
    from = br + 2;
  }
}

}  // namespace

bool HasAddress(const std::string& upgradelink) { return !upgradelink.empty() && upgradelink != "http://"; }

std::string Address(const std::string& upgradelink, const std::string& ebookPath) {
  return upgradelink + FileName(ebookPath);
}

std::string PreviousEditionName(const std::string& ebookPath) {
  const std::string folder = Folder(ebookPath), name = FileName(ebookPath);
  for (int n = 1;; ++n) {
    const std::string candidate = folder + "old-" + std::to_string(n) + "-" + name;
    if (!Exists(candidate)) return candidate;
  }
}

std::string OkText(const std::string& ebookPath) { return "OK; " + ebookPath; }

std::string NoUpdateText(const std::string& address) {
  return "Non c'è nessun aggiornamento.\r\n\r\n(Non trovo il file: ;" + address + ")";
}

bool AcceptedEdition(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char head[MinEditionSize];
  const size_t n = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  if (n < sizeof head || std::memcmp(head, "MAVO", 4) != 0) return false;
  TQuietSink quiet;
  TZEBset trial(TServices{&quiet, nullptr, nullptr});
  return trial.Open(path) && trial.ZEBFileName() == path && trial.Count(testoHtml) > 0;
}

TDownloadFile::TDownloadFile(const std::string& ebookPath) : ebook_(ebookPath) {
  std::string pattern = Folder(ebookPath) + "." + FileName(ebookPath) + ".XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  const int fd = ::mkstemp(buf.data());
  if (fd < 0) throw ETcpIpError("Non riesco a creare il file " + pattern + ": " + std::strerror(errno));
  path_ = buf.data();
  file_ = ::fdopen(fd, "w+b");
  if (!file_) {
    ::close(fd);
    ::unlink(path_.c_str());
    throw ETcpIpError("Non riesco a creare il file " + path_);
  }
  // An edition is read by everyone who could read the old one.
  struct stat st;
  if (::stat(ebookPath.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 0777);
}

TDownloadFile::~TDownloadFile() {
  Close();
  if (!installed_) ::unlink(path_.c_str());
}

bool TDownloadFile::Close() {
  if (!file_) return true;
  bool ok = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  return ok;
}

std::string TDownloadFile::Install() {
  if (!Close()) throw ETcpIpError("Errore nella scrittura/lettura file");
  const std::string old = PreviousEditionName(ebook_);
  // A hard link never replaces an existing copy and keeps the ebook in place
  // until the new edition takes its name in one step.
  if (::link(ebook_.c_str(), old.c_str()) == 0) {
    if (::rename(path_.c_str(), ebook_.c_str()) != 0) {
      const int e = errno;
      ::unlink(old.c_str());
      throw ETcpIpError("Non riesco a sostituire " + ebook_ + ": " + std::strerror(e));
    }
  } else {
    // Folders without hard links: move the old file aside first.
    if (Exists(old) || ::rename(ebook_.c_str(), old.c_str()) != 0)
      throw ETcpIpError("Non riesco a rinominare " + ebook_ + " in " + old + ": " + std::strerror(errno));
    if (::rename(path_.c_str(), ebook_.c_str()) != 0) {
      const int e = errno;
      if (::rename(old.c_str(), ebook_.c_str()) != 0) {
        reopen_ = old;
        throw ETcpIpError("Errore You may need to reinstall.");
      }
      throw ETcpIpError("Non riesco a sostituire " + ebook_ + ": " + std::strerror(e));
    }
  }
  installed_ = true;
  return old;
}

TFetchResult Fetch(const std::string& address, std::FILE* out, const TNetLimits& limits, const TStopFlag& stop,
          const TTraceProc& trace, const std::function<void(int64_t, int64_t)>& progress) {
  T_Http http;
  http.Limits = limits;
  http.Stop = stop;
  http.HeadFirst = false;
  http.Agent = Agent;
  http.ContentTypePost = "application/octet-stream";
  http.OnTrace = trace;
  if (progress) http.OnDataTxRx = [&progress](T_ftp_mode, int64_t b, int64_t t) { progress(b, t); };
  TFileSink sink(out);
  http.ResponseBody = &sink;
  http.URL = address;
  http.Get();
  return {http.StatusCode, http.StatusText};
}

int UpdateWithoutWindow(const std::string& given, std::ostream& out, std::ostream& err, const TNetLimits& limits) {
  std::error_code ec;
  const std::string path = fs::absolute(given, ec).lexically_normal().string();
  std::string link;
  {
    TQuietSink quiet;
    TZEBset doc(TServices{&quiet, nullptr, nullptr});
    if (!doc.Open(path) || doc.ZEBFileName() != path) {
      err << "Errore nella lettura file: " << given << "\n";
      return 1;
    }
    link = doc.GetDocProperty("upgradelink");
  }
  if (!HasAddress(link)) {
    err << "L'ebook non indica un indirizzo di aggiornamento (upgradelink): " << given << "\n";
    return 1;
  }
  const std::string address = Address(link, path);
  try {
    TDownloadFile download(path);
    bool ok = false;
    try {
      ok = Fetch(address, download.File(), limits, nullptr).status < 400;
    } catch (const std::exception& e) {
      err << e.what() << "\n";
    }
    ok = download.Close() && ok && AcceptedEdition(download.Path());
    if (!ok) {
      PrintLines(out, NoUpdateText(address));
      return 1;
    }
    download.Install();
    PrintLines(out, OkText(path));
    return 0;
  } catch (const std::exception& e) {
    err << e.what() << "\n";
    return 1;
  }
}

}  // namespace update
