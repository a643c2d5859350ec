#include "shell/startup.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariant>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>

#include "document/pathutil.h"
#include "document/strutil.h"
#include "platform/settings.h"
#include "platform/system.h"

namespace fs = std::filesystem;

namespace {

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return (fs::path(folder) / fs::path(name)).lexically_normal().string();
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
  return std::string(s.substr(b, e - b));
}

bool EndsWithNoCase(const std::string& s, std::string_view suffix) {
  return s.size() >= suffix.size() && str::EqualsNoCase(std::string_view(s).substr(s.size() - suffix.size()), suffix);
}

// One section of an INI text as the old profile functions read it: names
// without regard to case, the first occurrence of a name wins, values trimmed
// and freed of enclosing double quotes.
std::map<std::string, std::string> IniSection(const std::string& text, std::string_view section) {
  std::map<std::string, std::string> out;
  bool inside = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    const std::string line = Trim(std::string_view(text).substr(pos, eol - pos));
    pos = eol + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      inside = close != std::string::npos && str::EqualsNoCase(Trim(line.substr(1, close - 1)), section);
      continue;
    }
    const size_t eq = line.find('=');
    if (!inside || eq == std::string::npos) continue;
    std::string value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    out.emplace(str::Lower(Trim(line.substr(0, eq))), value);
  }
  return out;
}

// A text file of at most `limit` bytes; empty when missing or larger.
std::string ReadSmallFile(const std::string& path, size_t limit) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (ec || size > limit) return {};
  std::ifstream in(path, std::ios::binary);
  std::string text(static_cast<size_t>(size), '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  return text;
}

int Clamp(int v, int lo, int hi) { return hi < lo ? lo : std::clamp(v, lo, hi); }

}  // namespace

// ---------------------------------------------------------------- command line

bool IsSwitch(const std::string& arg) {
  size_t i = 1;
  while (i < arg.size() && std::isalpha(static_cast<unsigned char>(arg[i]))) ++i;
  return arg.size() > 1 && arg[0] == '/' && i > 1 && (i == arg.size() || arg[i] == '=');
}

TLaunchFlags ReadLaunchFlags(const std::vector<std::string>& args) {
  TLaunchFlags f;
  if (args.empty()) return f;
  f.brochure = str::Lower(args[0]) == "brochure.zeb";
  if (!IsSwitch(args[0])) return f;
  const std::string up = str::Upper(args[0]);
  f.install = up.compare(0, 5, "/INIT") == 0;
  f.installSilent = up == "/INITV";
  f.uninstall = up == "/DEINST";
  f.deleteFiles = up == "/DELETE";
  f.setup = f.install || f.uninstall || f.deleteFiles;
  return f;
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  TCommandLine cl;
  cl.flags = ReadLaunchFlags(args);
  enum { Before, Inside, After } run = Before;
  for (const std::string& a : args) {
    if (IsSwitch(a)) {
      if (run == Inside) run = After;
      // Switches are compared in upper case, so "/page=3" counts too.
      if (str::Upper(a).compare(0, 6, "/PAGE=") == 0) cl.pageSwitches.push_back(a.substr(6, MaxSwitchValue));
      continue;
    }
    if (run == After) continue;
    // An unquoted path with spaces arrives as several arguments.
    if (run == Inside) cl.ebookPath += ' ';
    cl.ebookPath += a;
    run = Inside;
  }
  return cl;
}

std::string PageSwitchLink(const std::string& path, const std::string& page) {
  return "lumo://" + path + "|" + page;
}

// ---------------------------------------------------------------- choosing the ebook

bool TRealFileProbe::FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(path, ec);
}

std::vector<std::string> TRealFileProbe::ListFiles(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec)) names.push_back(it->path().filename().string());
  return names;
}

bool TRealFileProbe::IsDriveRoot(const std::string& folder) {
  struct stat self {}, parent {};
  if (folder.empty() || ::stat(folder.c_str(), &self) != 0) return false;
  if (::stat((folder + "/..").c_str(), &parent) != 0) return false;
  // The root itself, or a mounted medium (a different device than its parent).
  return self.st_dev != parent.st_dev || self.st_ino == parent.st_ino;
}

namespace {

// Steps 2 and 3: the command-line path as given, against the program's folder
// or the current folder.
std::string LocateCommandPath(const TStartupInput& in, IFileProbe& files) {
  const std::string& path = in.commandPath;
  if (path.empty()) return {};
  if (HasRoot(path)) return path;
  if (files.FileExists(Join(in.currentFolder, path))) return Join(in.currentFolder, path);
  if (files.FileExists(path)) return Join(in.currentFolder, path);
  if (files.FileExists(Join(in.programFolder, path))) return Join(in.programFolder, path);
  return path;
}

}  // namespace

TEbookChoice ChooseEbook(const TStartupInput& in, IFileProbe& files) {
  TEbookChoice c;
  c.brochure = in.brochure;
  if (in.showRequestPending) {
    c.action = TStartAction::FollowShowRequest;
    return c;
  }
  const bool atRoot = files.IsDriveRoot(in.programFolder);
  std::string path = LocateCommandPath(in, files);
  if (!files.FileExists(path)) {
    std::vector<std::string> names = files.ListFiles(in.programFolder);
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) {
      // At the root of a drive the brochure waits for its own turn below.
      if (atRoot && str::Lower(n) == "brochure.zeb") continue;
      if (n.size() > 4 && EndsWithNoCase(n, ".zeb")) {
        path = Join(in.programFolder, n);
        c.brochure = false;
        break;
      }
    }
  }
  if (files.FileExists(path)) {
    c.action = TStartAction::OpenCommandFile;
    c.path = path;
    return c;
  }
  if (!in.lastFile.empty() && in.atStartBlank != "1") {
    c.action = TStartAction::OpenLastFile;
    c.path = in.lastFile;
  } else if (atRoot && files.FileExists(Join(in.programFolder, "brochure.zeb"))) {
    c.action = TStartAction::OpenBrochure;
    c.path = Join(in.programFolder, "brochure.zeb");
    c.brochure = true;
  } else {
    c.action = TStartAction::Blank;
  }
  return c;
}

// ---------------------------------------------------------------- CD auto-run list

std::vector<TAutorunEntry> ParseAutorun(const std::string& iniText) {
  const auto values = IniSection(iniText, "autorun");
  std::vector<TAutorunEntry> entries;
  TWindowMode mode = TWindowMode::Hidden;
  for (int n = 1; n <= 30; ++n) {
    const std::string num = std::to_string(n);
    auto cmd = values.find("cdferun" + num);
    auto m = values.find("cdferunmode" + num);
    const std::string modeText = m == values.end() ? "NORMAL" : str::Upper(m->second);
    if (modeText == "NORMAL") mode = TWindowMode::Normal;
    else if (modeText == "MAXIMIZE") mode = TWindowMode::Maximized;
    else if (modeText == "MINIMIZE") mode = TWindowMode::Minimized;
    if (cmd != values.end() && !cmd->second.empty()) entries.push_back({cmd->second, mode});
  }
  return entries;
}

void RunAutorun(const std::string& programFolder, IShell& shell) {
  TRealFileProbe files;
  std::string name;
  for (const std::string& n : files.ListFiles(programFolder))
    if (str::Lower(n) == "autorun.inf") name = n;
  if (name.empty()) return;
  for (const TAutorunEntry& e : ParseAutorun(ReadSmallFile(Join(programFolder, name), 64 * 1024)))
    shell.OpenDocument(Join(programFolder, NativePath(e.command)), e.mode);
}

// ---------------------------------------------------------------- recent files

void TRecentFiles::Use(const std::string& path) {
  Remove(path);
  items_.push_back(path);
  while (items_.size() > size_t(MaxCount)) items_.erase(items_.begin());
}

void TRecentFiles::Remove(const std::string& path) {
  items_.erase(std::remove(items_.begin(), items_.end(), path), items_.end());
}

void TRecentFiles::Load(TSettings& settings) {
  items_.clear();
  for (int i = 0; i < MaxCount; ++i) {
    const std::string v = settings.ReadSub(Subkey, std::to_string(i));
    if (!v.empty()) Use(v);
  }
}

void TRecentFiles::Save(TSettings& settings) const {
  for (int i = 0; i < MaxCount; ++i)
    // Emptied slots are written too, so that a removed entry does not come back.
    settings.WriteSub(Subkey, std::to_string(i), size_t(i) < items_.size() ? items_[i] : std::string());
}

// ---------------------------------------------------------------- presentation

int PresentationMode(uint8_t fullScreenByte, uint8_t presentationByte) {
  return fullScreenByte != 0 ? 10 : presentationByte;
}

TRdWindow ParseRdWindow(const std::string& text) {
  TRdWindow r;
  auto flag = [&](size_t i) { return i < text.size() && text[i] >= '1' && text[i] <= '9'; };
  r.applySize = flag(0);
  r.hideMenu = flag(2);
  r.hideBars = flag(4);
  r.noBorder = flag(6);
  int* values[] = {&r.width, &r.height, &r.left, &r.top};
  size_t pos = 8;
  for (int* v : values) {
    if (pos >= text.size()) break;
    const size_t comma = text.find(',', pos);
    // A value without its comma is not taken, nor any after it.
    if (comma == std::string::npos) break;
    *v = str::ToIntDef(Trim(std::string_view(text).substr(pos, comma - pos)), *v);
    pos = comma + 1;
  }
  return r;
}

TPresentation ComputePresentation(int mode, const std::string& rdwindow, const TRect& window,
                                  const TRect& screen, int designedTop, bool& topRestored) {
  TPresentation p;
  if (mode == 11) {
    p.bringToFrontOnly = true;
    return p;
  }
  p.maximised = mode == 1 || mode == 10;
  if (!rdwindow.empty()) {
    p.window = ParseRdWindow(rdwindow);
  } else {
    p.window.hideMenu = p.window.hideBars = p.window.noBorder = p.maximised;
  }
  // The size the window will have; values from the ebook are kept on the screen.
  int w = window.width, h = window.height;
  if (!p.maximised && p.window.applySize) {
    w = Clamp(p.window.width, 100, std::max(100, screen.width));
    h = Clamp(p.window.height, 100, std::max(100, screen.height));
  }
  p.window.width = w;
  p.window.height = h;
  switch (mode) {
    case 0: case 1: case 10:
      if (!topRestored) {
        p.restoreDesignedTop = p.moveTo = true;
        p.left = window.left;
        p.top = designedTop;
        topRestored = true;
      }
      p.maximisedByEbook = mode == 1;
      p.kiosk = mode == 10;
      break;
    case 2:
      // Centred, but a window larger than the screen starts at its corner.
      p.moveTo = true;
      p.left = screen.left + std::max(0, (screen.width - w) / 2);
      p.top = screen.top + std::max(0, (screen.height - h) / 2);
      break;
    case 3:
      p.moveTo = true;
      p.left = Clamp(p.window.left, screen.left, screen.left + screen.width - w);
      p.top = Clamp(p.window.top, screen.top, screen.top + screen.height - h);
      break;
    default: break;
  }
  p.minMaxIcons = mode >= 0 && mode <= 3;
  return p;
}

TRect ClampPlacement(TRect r, const TRect& screen) {
  r.width = std::max(100, r.width);
  r.height = std::max(100, r.height);
  if (screen.width >= 100) r.width = std::min(r.width, screen.width);
  if (screen.height >= 100) r.height = std::min(r.height, screen.height);
  if (r.top + r.height > screen.top + screen.height) r.top = screen.top + screen.height - r.height;
  if (r.left + r.width > screen.left + screen.width) r.left = screen.left + screen.width - r.width;
  // A title bar above or left of the screen could not be reached any more.
  r.top = std::max(r.top, screen.top);
  r.left = std::max(r.left, screen.left);
  return r;
}

TRect ReadPlacement(TSettings& settings, const TRect& current) {
  TRect r;
  r.left = settings.ReadOptionNum("Main_left", current.left);
  r.top = settings.ReadOptionNum("Main_top", current.top);
  r.width = settings.ReadOptionNum("Main_width", current.width);
  r.height = settings.ReadOptionNum("Main_height", current.height);
  return r;
}

// ---------------------------------------------------------------- show requests

std::optional<std::string> ParseShowRequest(const std::string& request) {
  std::string text = request;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const size_t space = text.find(' ');
  const std::string word = str::Upper(text.substr(0, space));
  if (word != "VISUALIZZA" && word != "SHOW") return std::nullopt;
  const std::string rest = space == std::string::npos ? std::string() : text.substr(space + 1, MaxSwitchValue);
  return "lumo://" + rest;
}

namespace {
constexpr qsizetype MaxRequestBytes = 4096;
constexpr int RequestTimeoutMs = 5000;
}  // namespace

TShowRequestServer::TShowRequestServer(QObject* parent) : QObject(parent) {}

TShowRequestServer::~TShowRequestServer() { Close(); }

QString TShowRequestServer::DefaultName() {
  QString user = QString::fromStdString(TPosixSystem().UserName());
  for (QChar& c : user)
    if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('-') && c != QLatin1Char('_')) c = '_';
  return QLatin1String("lectra-") + user;
}

bool TShowRequestServer::Listen(const QString& name) {
  Close();
  // A reader that answers keeps the name. Qt would otherwise replace its
  // socket, since a server with access options is moved into place.
  QLocalSocket probe;
  probe.connectToServer(name);
  const bool answered = probe.waitForConnected(500);
  probe.abort();
  if (answered) return false;
  // Nobody answers: a socket left behind by a reader that ended badly goes.
  QLocalServer::removeServer(name);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name)) {
    Close();
    return false;
  }
  connect(server_, &QLocalServer::newConnection, this, &TShowRequestServer::Accept);
  return true;
}

void TShowRequestServer::Close() {
  if (!server_) return;
  server_->close();
  delete server_;
  server_ = nullptr;
}

std::string TShowRequestServer::TakePending() {
  std::string p;
  p.swap(pending_);
  return p;
}

void TShowRequestServer::Accept() {
  while (QLocalSocket* s = server_->nextPendingConnection()) {
    connect(s, &QLocalSocket::readyRead, this, [this, s] { Handle(s); });
    connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
    // A client that never finishes its request is dropped.
    QTimer::singleShot(RequestTimeoutMs, s, [s] { s->abort(); });
  }
}

void TShowRequestServer::Handle(QLocalSocket* s) {
  QByteArray buf = s->property("request").toByteArray();
  buf += s->read(MaxRequestBytes + 1 - buf.size());
  const qsizetype eol = buf.indexOf('\n');
  if (eol < 0) {
    if (buf.size() > MaxRequestBytes) s->abort();
    else s->setProperty("request", buf);
    return;
  }
  s->setProperty("request", QByteArray());
  const auto link = ParseShowRequest(buf.left(eol).toStdString());
  if (link) pending_ = *link;
  s->write(link ? "1\n" : "0\n");
  s->flush();
  s->disconnectFromServer();
  if (link) emit ShowRequested();
}

bool SendShowRequest(const std::string& text, const QString& name, int timeoutMs) {
  QLocalSocket s;
  s.connectToServer(name);
  if (!s.waitForConnected(timeoutMs)) return false;
  QByteArray request = QByteArray::fromStdString(text.substr(0, MaxRequestBytes - 1));
  request.replace('\r', ' ').replace('\n', ' ');
  s.write(request + '\n');
  if (!s.waitForBytesWritten(timeoutMs)) return false;
  QByteArray reply;
  while (!reply.contains('\n') && s.waitForReadyRead(timeoutMs)) reply += s.readAll();
  return reply.startsWith('1');
}
