#include "app/install/selfinstall.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "document/strutil.h"
#include "platform/settings.h"

namespace fs = std::filesystem;

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string Env(const char* name, const std::string& fallback) {
  const QByteArray v = qgetenv(name);
  return v.isEmpty() ? fallback : v.toStdString();
}

// A name made only of letters, digits, "-" and "_", for the launchers' files.
std::string Slug(const std::string& ebook) {
  std::string s;
  for (unsigned char c : ebook) s += std::isalnum(c) || c == '-' || c == '_' ? char(c) : '_';
  return s;
}

// A desktop entry value: no line breaks, backslashes doubled.
std::string EntryValue(const std::string& v) {
  std::string out;
  for (char c : v) {
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\\') out += "\\\\";
    else out += c;
  }
  return out;
}

// The same MIME package the system-wide installation puts in place.
const char* MimeXml =
#include "lectra-zeb.xml.inc"
    ;

// The reader's icon: a closed book.
QImage DrawIcon() {
  QImage img(64, 64, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x1F, 0x3A, 0x7A), 2));
  p.setBrush(QColor(0x8E, 0x24, 0x24));
  p.drawRoundedRect(QRectF(12, 4, 40, 56), 4, 4);
  p.setPen(QPen(QColor(0xF2, 0xD4, 0x7A), 3));
  p.drawLine(QPointF(20, 18), QPointF(44, 18));
  p.drawLine(QPointF(20, 26), QPointF(38, 26));
  return img;
}

}  // namespace

TInstallEnv TInstallEnv::FromSystem(const std::string& programPath, const std::string& programFolder) {
  TInstallEnv e;
  e.programPath = programPath;
  e.programFolder = programFolder;
  e.homeFolder = QDir::homePath().toStdString();
  e.dataHome = Env("XDG_DATA_HOME", e.homeFolder + "/.local/share");
  e.configHome = Env("XDG_CONFIG_HOME", e.homeFolder + "/.config");
  e.tempFolder = QDir::tempPath().toStdString();
  e.run = [](const std::string& program, const std::vector<std::string>& args, std::string* out) {
    QProcess p;
    QStringList a;
    for (const std::string& s : args) a << QString::fromStdString(s);
    p.start(QString::fromStdString(program), a);
    if (!p.waitForStarted(5000)) return -1;
    p.waitForFinished(30000);
    if (out) *out = p.readAllStandardOutput().toStdString();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  };
  e.wait = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
  return e;
}

TSelfInstall::TSelfInstall(TInstallEnv env, TSettings& settings, IMessageSink& messages)
    : env_(std::move(env)), settings_(settings), messages_(messages) {}

// ---------------------------------------------------------------- names and paths

std::string TSelfInstall::MenuName(const std::string& ebook) {
  std::string n = fs::path(ebook).stem().string();
  std::replace(n.begin(), n.end(), '_', ' ');
  return n;
}

std::string TSelfInstall::ExecArgument(const std::string& arg) {
  std::string q = "\"";
  for (char c : arg) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') q += '\\';
    q += c == '%' ? std::string("%%") : std::string(1, c);
  }
  return q + "\"";
}

bool TSelfInstall::AcceptableEbookName(const std::string& ebook) {
  if (ebook.empty() || ebook.size() > 255 || ebook == "." || ebook == "..") return false;
  for (unsigned char c : ebook)
    if (c < 0x20 || c == '/' || c == '\\' || c == 0x7F) return false;
  return ebook.find("..") == std::string::npos;
}

std::string TSelfInstall::LauncherPath(const std::string& ebook, bool removal) const {
  return env_.dataHome + "/applications/lectra-ebook-" + Slug(ebook) + (removal ? "-uninstall" : "") + ".desktop";
}

std::string TSelfInstall::HandlerPath() const { return env_.dataHome + "/applications/" + HandlerFile; }
std::string TSelfInstall::MimePackagePath() const { return env_.dataHome + "/mime/packages/lectra-zeb.xml"; }
std::string TSelfInstall::IconPath() const { return env_.dataHome + "/icons/hicolor/64x64/apps/lectra.png"; }

bool TSelfInstall::DeletableFolder(const std::string& folder) const {
  std::error_code ec;
  if (folder.empty() || folder[0] != '/') return false;
  const fs::path canon = fs::weakly_canonical(folder, ec);
  if (ec || !fs::is_directory(canon, ec) || fs::is_symlink(fs::path(folder), ec)) return false;
  if (canon == canon.root_path()) return false;
  const fs::path home = fs::weakly_canonical(env_.homeFolder.empty() ? "/" : env_.homeFolder, ec);
  // The home folder and every folder above it hold more than the reader.
  for (fs::path p = home; !p.empty(); p = p.parent_path()) {
    if (p == canon) return false;
    if (p == p.root_path()) break;
  }
  const fs::path marker = canon / MarkerFile;
  return fs::is_regular_file(fs::symlink_status(marker, ec));
}

// ---------------------------------------------------------------- the step

TSetupOutcome TSelfInstall::Run(const std::vector<std::string>& args) {
  TSetupOutcome out;
  const TLaunchFlags f = ReadLaunchFlags(args);
  out.title = f.install ? "Quillon INST" : f.uninstall ? "Quillon DEINST" : "Quillon";
  out.openWindow = !f.uninstall && !f.deleteFiles;
  const bool yes = args.size() >= 2 && Upper(args.back()) == "/YES";
  const std::string second = args.size() >= 2 && !(args.size() == 2 && yes) ? args[1] : std::string();
  if (f.setup && f.install && !args.empty()) {
    try {
      Install(second, f.installSilent);
    } catch (const std::exception&) {
      messages_.Message(TMsgKind::Information,
                        std::string("Error in DoInit. Please report to ") + Support + ". Please reinstall.");
      out.ok = false;
    }
  }
  if (f.uninstall) {
    try {
      Remove(second, yes, out);
    } catch (const std::exception&) {
      messages_.Message(TMsgKind::Information, std::string("Error in DoDeinst. Please report to ") + Support + ".");
      out.ok = false;
    }
  }
  if (f.deleteFiles) DeleteFolder(second, yes);
  return out;
}

bool TSelfInstall::Ask(const std::string& question, bool yes) {
  return yes || messages_.Message(TMsgKind::Question, question);
}

bool TSelfInstall::WriteFile(const std::string& path, const std::string& content) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  const std::string partial = path + ".part";
  {
    std::ofstream o(partial, std::ios::binary | std::ios::trunc);
    o << content;
    if (!o.flush()) return false;
  }
  fs::rename(partial, path, ec);
  return !ec;
}

// ---------------------------------------------------------------- installation

void TSelfInstall::Install(const std::string& ebook, bool silent) {
  if (!AcceptableEbookName(ebook)) {
    messages_.Message(TMsgKind::Error, "Installazione: nome dell'ebook non valido: " + ebook);
    return;
  }
  std::error_code ec;
  fs::remove(fs::path(env_.tempFolder) / "!!licenseE.txt", ec);
  fs::remove(fs::path(env_.tempFolder) / fs::path(env_.programPath).filename(), ec);
  if (!silent) WriteLaunchers(ebook);
  WriteAssociation();
  // The folder is the reader's own from now on; a read-only one gets no marker.
  {
    std::ofstream marker(fs::path(env_.programFolder) / MarkerFile, std::ios::trunc);
    marker << "lectra\n";
  }
  const int k = str::ToIntDef(settings_.ReadOption("inst"), 0);
  // Written last: a count only for an installation that is complete.
  settings_.WriteOptionNum("inst", std::max(0, k) + 1);
}

void TSelfInstall::WriteLaunchers(const std::string& ebook) {
  const std::string exec = ExecArgument(env_.programPath);
  const std::string name = EntryValue(MenuName(ebook));
  const std::string book = (fs::path(env_.programFolder) / ebook).string();
  auto entry = [&](const std::string& title, const std::string& args) {
    return "[Desktop Entry]\nType=Application\nVersion=1.0\nName=" + title + "\nExec=" + EntryValue(exec + " " + args) +
           "\nIcon=lectra\nTerminal=false\nCategories=Education;\n";
  };
  if (!WriteFile(LauncherPath(ebook, false), entry(name, ExecArgument(book))) ||
      !WriteFile(LauncherPath(ebook, true), entry("Uninstall " + name, "/DEINST " + ExecArgument(ebook))))
    throw std::runtime_error("launcher");
}

std::string TSelfInstall::CurrentDefault() {
  std::string out;
  if (!env_.run || env_.run("xdg-mime", {"query", "default", MimeType}, &out) != 0) return {};
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

void TSelfInstall::WriteAssociation() {
  const std::string handler =
      "[Desktop Entry]\nType=Application\nVersion=1.0\nName=Lectra\nGenericName=Ebook reader\n"
      "Comment=Lumo hypertext/ebook\nExec=" + EntryValue(ExecArgument(env_.programPath)) + " %f\n"
      "Icon=lectra\nTerminal=false\nNoDisplay=true\nMimeType=application/x-zeb;\nCategories=Office;Viewer;\n";
  if (!WriteFile(HandlerPath(), handler) || !WriteFile(MimePackagePath(), MimeXml)) throw std::runtime_error("mime");
  std::error_code ec;
  fs::create_directories(fs::path(IconPath()).parent_path(), ec);
  DrawIcon().save(QString::fromStdString(IconPath()), "PNG");
  if (env_.run) {
    env_.run("update-mime-database", {env_.dataHome + "/mime"}, nullptr);
    env_.run("update-desktop-database", {env_.dataHome + "/applications"}, nullptr);
  }
  const std::string current = CurrentDefault();
  // Another program that already opens ebooks keeps them.
  if (!current.empty() && current != HandlerFile) return;
  if (env_.run && env_.run("xdg-mime", {"default", HandlerFile, MimeType}, nullptr) == 0)
    settings_.WriteOption("instdefault", "1");
}

// ---------------------------------------------------------------- removal

void TSelfInstall::Remove(const std::string& ebook, bool yes, TSetupOutcome& out) {
  if (!Ask("Sei sicuro di voler deinstallare?", yes)) return;
  std::error_code ec;
  if (AcceptableEbookName(ebook)) {
    fs::remove(LauncherPath(ebook, false), ec);
    fs::remove(LauncherPath(ebook, true), ec);
  }
  const int k = std::max(0, str::ToIntDef(settings_.ReadOption("inst"), 1));
  settings_.WriteOption("LastFile", ebook);
  settings_.WriteOptionNum("inst", std::max(0, k - 1));
  if (k >= 2) {
    const fs::path book = fs::path(env_.programFolder) / ebook;
    if (AcceptableEbookName(ebook) && fs::is_regular_file(fs::symlink_status(book, ec))) fs::remove(book, ec);
    return;
  }
  RemoveAssociation();
  const fs::path copy = fs::path(env_.tempFolder) / fs::path(env_.programPath).filename();
  fs::remove(copy, ec);
  if (!fs::copy_file(env_.programPath, copy, fs::copy_options::overwrite_existing, ec) || ec) {
    messages_.Message(TMsgKind::Information, "Something to remove manually!");
    return;
  }
  out.deferredProgram = copy.string();
  out.deferredArgs = {"/DELETE", env_.programFolder};
  if (yes) out.deferredArgs.push_back("/YES");
}

void TSelfInstall::RemoveAssociation() {
  std::error_code ec;
  fs::remove(HandlerPath(), ec);
  fs::remove(IconPath(), ec);
  if (fs::remove(MimePackagePath(), ec) && env_.run) env_.run("update-mime-database", {env_.dataHome + "/mime"}, nullptr);
  if (env_.run) env_.run("update-desktop-database", {env_.dataHome + "/applications"}, nullptr);
  if (settings_.ReadOption("instdefault") == "1") RemoveDefault();
  settings_.WriteOption("instdefault", "0");
}

// xdg-mime cannot unset a default: the reader's line goes from the user's mimeapps.list.
void TSelfInstall::RemoveDefault() {
  const std::string path = env_.configHome + "/mimeapps.list";
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  std::stringstream kept;
  std::string line;
  const std::string ours = std::string(MimeType) + "=" + HandlerFile;
  while (std::getline(in, line)) {
    std::string bare = line;
    if (!bare.empty() && bare.back() == '\r') bare.pop_back();
    if (bare == ours || bare == ours + ";") continue;
    kept << line << '\n';
  }
  in.close();
  WriteFile(path, kept.str());
}

// ---------------------------------------------------------------- folder deletion

void TSelfInstall::DeleteFolder(const std::string& folder, bool yes) {
  if (env_.wait) env_.wait(500);
  if (!DeletableFolder(folder)) {
    if (!folder.empty()) messages_.Message(TMsgKind::Information, "Cartella non cancellata: " + folder);
    return;
  }
  if (!Ask("Posso cancellare la directory " + folder + "?", yes)) return;
  std::error_code ec;
  // remove_all removes links themselves, never what they point to.
  for (int i = 0; i < 2; ++i) fs::remove_all(fs::weakly_canonical(folder, ec), ec);
}
