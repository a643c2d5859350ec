// Fetching a newer edition of an ebook from the web folder its "upgradelink"
// names. The new edition arrives in a temporary file beside the ebook and
// replaces it only once it is whole and opens as an ebook; until then the old
// file stays where and as it was.
#pragma once

#include <cstdio>
#include <functional>
#include <iosfwd>
#include <string>

#include "network/tcpip.h"

class TZEBset;

namespace update {

// The crawler identity the update requests carry.
inline constexpr const char* Agent = "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)";
// The smallest file taken as an edition: the ZEB header's first part.
inline constexpr long MinEditionSize = 80;

bool HasAddress(const std::string& upgradelink);
// The update address: "upgradelink" + the ebook's file name.
std::string Address(const std::string& upgradelink, const std::string& ebookPath);
// folder + "old-" + N + "-" + name with the smallest free N from 1.
std::string PreviousEditionName(const std::string& ebookPath);
std::string OkText(const std::string& ebookPath);
std::string NoUpdateText(const std::string& address);
// At least 80 bytes, "MAVO" first, and it opens as an ebook with pages.
bool AcceptedEdition(const std::string& path);

// The temporary file a new edition is downloaded into, beside the ebook.
// Removed on destruction unless installed.
class TDownloadFile {
public:
  // Throws ETcpIpError when the ebook's folder takes no new file.
  explicit TDownloadFile(const std::string& ebookPath);
  ~TDownloadFile();
  TDownloadFile(const TDownloadFile&) = delete;
  std::FILE* File() { return file_; }
  const std::string& Path() const { return path_; }
  // Flushes and closes; false when the data did not all reach the disk.
  bool Close();
  // The old ebook becomes its previous-edition copy and the download takes its
  // place. Returns the copy's path. On failure (ETcpIpError) the old ebook is
  // back where it was.
  std::string Install();
  // After a failed Install: the file to open instead of the ebook, when the
  // old edition could not be put back under its name.
  const std::string& ReopenInstead() const { return reopen_; }

private:
  std::string ebook_, path_, reopen_;
  std::FILE* file_ = nullptr;
  bool installed_ = false;
};

struct TFetchResult {
  int status = 0;
  std::string statusText;
};

// Downloads `address` into `out` the way the update does (a GET without HEAD
// under the crawler identity).
TFetchResult Fetch(const std::string& address, std::FILE* out, const TNetLimits& limits, const TStopFlag& stop,
          const TTraceProc& trace = {},
          const std::function<void(int64_t bytes, int64_t total)>& progress = {});

// The whole automatic update without a window: the memo's lines go to `out`.
// 0 when a new edition replaced the old one, 1 otherwise.
int UpdateWithoutWindow(const std::string& ebookPath, std::ostream& out, std::ostream& err,
                        const TNetLimits& limits);

}  // namespace update
