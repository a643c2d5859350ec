#include "shell/linkdispatch.h"

#include <QProcess>
#include <QString>
#include <filesystem>

#include "document/pathutil.h"
#include "document/privatefile.h"
#include "document/services.h"
#include "document/strutil.h"
#include "document/zebobject.h"
#include "document/zebset.h"
#include "platform/settings.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* CdKey = "\\SOFTWARE\\Norv\\LumoRD\\";

using str::StartsWith;

bool IsFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(path, ec);
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(path, ec);
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return (fs::path(folder) / fs::path(name)).lexically_normal().string();
}

// The first "/../" of a path removed together with the folder before it.
std::string CollapseParentOnce(const std::string& path) {
  const size_t at = path.find("/../");
  if (at == std::string::npos || at == 0) return path;
  const size_t before = path.rfind('/', at - 1);
  return before == std::string::npos ? path.substr(at + 4) : path.substr(0, before + 1) + path.substr(at + 4);
}

std::string LexicalPath(const std::string& path) {
  return path.empty() ? path : fs::path(path).lexically_normal().string();
}

// Whether two paths name the same file. The copy below deletes its target
// first, so the source must never be taken for a different file.
bool SameFile(const std::string& a, const std::string& b) {
  if (fs::path(a).lexically_normal() == fs::path(b).lexically_normal()) return true;
  std::error_code ec;
  return fs::equivalent(a, b, ec);
}

bool HasScheme(const std::string& s) {
  const size_t colon = s.find("://");
  if (colon == std::string::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i) {
    const char c = s[i];
    const bool ok = std::isalpha(static_cast<unsigned char>(c)) ||
                    (i > 0 && (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.'));
    if (!ok) return false;
  }
  return true;
}

// Re-enables the main frame set when dispatch ends, however it ends.
struct TEnableGuard {
  ILinkHost& host;
  explicit TEnableGuard(ILinkHost& h) : host(h) { host.SetMainEnabled(false); }
  ~TEnableGuard() { host.SetMainEnabled(true); }
};

// Ebook texts shown in a dialog: from the ebook's code page to UTF-8.
std::string ShownText(TZEBoggetto* obj, const std::string& bytes) {
  return obj->Document() ? obj->Document()->CodePage().ToUtf8(bytes) : bytes;
}

struct TBusyGuard {
  ILinkHost& host;
  explicit TBusyGuard(ILinkHost& h) : host(h) { host.BusyCursor(true); }
  ~TBusyGuard() { host.BusyCursor(false); }
};

}  // namespace

// ---------------------------------------------------------------- link strings

TLinkForm ClassifyLink(const std::string& link) {
  // Prefixes are compared as written: "LUMO://x.zeb" goes to the desktop.
  if (StartsWith(link, "lumo:")) return TLinkForm::Lumo;
  if (StartsWith(link, "run:")) return TLinkForm::Run;
  if (StartsWith(link, "save:")) return TLinkForm::Save;
  if (StartsWith(link, "runm:")) return TLinkForm::RunMessage;
  const bool prog = StartsWith(link, "prog:"), dump = StartsWith(link, "dump:");
  if (prog || dump) {
    if (link.find('\\') == std::string::npos) return TLinkForm::ParamFile;
    return prog ? TLinkForm::ProgRegistry : TLinkForm::DumpRegistry;
  }
  if (str::StartsWithNoCase(link, "mailto:")) return TLinkForm::Mail;
  if (HasScheme(link) || str::StartsWithNoCase(link, "www.")) return TLinkForm::Web;
  return TLinkForm::Document;
}

THint SplitHint(const std::string& description) {
  const size_t bar = description.find('|');
  if (bar == std::string::npos) return {description, description};
  return {description.substr(0, bar), description.substr(bar + 1)};
}

std::string ShellErrorMessage(int code, const std::string& path) {
  const std::string name = FileNamePart(path);
  switch (code) {
    case 2: case 3: return "Errore nell'apertura file: " + name;
    case 5: return "Access Denied: " + name;
    case 8: case 11: case 26: case 28: case 29: case 30: case 32:
      return std::to_string(code) + " Error on " + name;
    case 27: case 31: return "Sembra che il visualizzatore per il file non sia presente. File: " + name;
    default: return {};
  }
}

std::string PluginCommand(const std::string& pluginText) {
  std::string command;
  size_t pos = 0;
  for (int line = 0; pos <= pluginText.size(); ++line) {
    size_t eol = pluginText.find("\r\n", pos);
    const size_t end = eol == std::string::npos ? pluginText.size() : eol;
    const std::string text = pluginText.substr(pos, end - pos);
    pos = eol == std::string::npos ? pluginText.size() + 1 : eol + 2;
    if (line < 2) continue;  // the plugin's name and a line that is not read
    if (text == "$$mavo-heads$$" || text == "$$mavo-future$$") break;
    command += text;
  }
  return command;
}

TSpecLink ReadSpecLink(const TZEBoggetto& link) {
  TSpecLink s;
  const TRecord& r = link.Rec();
  s.action = static_cast<TSpecAction>(link.State());
  s.position = r.I32(fld::special::Position);
  s.targetId = r.I32(fld::special::Target);
  s.nested = r.Byte(fld::special::Nested);
  s.targetMode = static_cast<TSpecTarget>(r.Byte(fld::special::TargetMode));
  s.windowName = r.Str(fld::special::WindowName, fld::special::WindowNameLen);
  s.layout = link.MainPayload();
  return s;
}

// ---------------------------------------------------------------- dispatch

TLinkDispatcher::TLinkDispatcher(ILinkHost& host, IShell& shell, IShellDialogs& dialogs, TSettings& settings,
                                 IMessageSink& messages, std::string programFolder)
    : host_(host), shell_(shell), dialogs_(dialogs), settings_(settings), messages_(messages),
      programFolder_(std::move(programFolder)) {}

bool TLinkDispatcher::NeedsUserData() {
  TZEBset* doc = host_.MainDocument();
  if (!doc) return false;
  const bool mails = !doc->GetDocProperty("e_smtp").empty() || !doc->GetDocProperty("e_script").empty();
  return mails && settings_.ReadSub("reg", "nome").empty();
}

void TLinkDispatcher::EditorDoLink(const TLinkEvent& ev) {
  if (!ev.target) return;
  // The ebook sends forms by e-mail: the reader is asked who they are first.
  if (NeedsUserData()) host_.ShowUserDataDialog();
  TEnableGuard enable(host_);
  if (ev.objKind == TLinkSourceKind::Other) return;
  try {
    switch (ev.target->Kind()) {
      case testoHtml: case internetLink: case zipLink: case genLink:
        FollowLink(ev.target, -1, ev);
        break;
      case speclink:
        RunSpecialLink(ev.target, ev);
        break;
      case shortObj:
        if (host_.MainReadOnly() && ev.objKind == TLinkSourceKind::Page && ev.pageText) {
          TZEBoggetto* o = ev.pageText->ResolveContainerId(ev.target->Rec().I32(fld::shortRef::Reference));
          if (o && o->Kind() == speclink) RunSpecialLink(o, ev);
        }
        break;
      default:
        messages_.Message(TMsgKind::Information, "Non definito o non supportato.");
        break;
    }
  } catch (const std::exception& e) {
    messages_.Message(TMsgKind::Error, e.what());
  }
}

void TLinkDispatcher::FollowLink(TZEBoggetto* target, int position, const TLinkEvent& ev) {
  if (!target) return;
  switch (target->Kind()) {
    case testoHtml: {
      TZEBset* main = host_.MainDocument();
      const std::string file = target->Document() ? target->Document()->ZEBFileName() : std::string();
      if (!main || file != main->ZEBFileName()) {
        host_.OpenEbookFile(file);
        return;
      }
      host_.SetMainPageNumber(ev.objKind == TLinkSourceKind::FrameSet ? ev.obj : nullptr, target->Index());
      if (position != -1) host_.ScrollMainToAnchor(position);
      return;
    }
    case internetLink: {
      const std::string link = target->Name();
      switch (ClassifyLink(link)) {
        case TLinkForm::Lumo: FollowLumoLink(link, false); return;
        case TLinkForm::Run: case TLinkForm::RunMessage: case TLinkForm::Save: case TLinkForm::ProgRegistry:
        case TLinkForm::DumpRegistry: case TLinkForm::ParamFile:
          RunCommandLink(link, target, &ev);
          return;
        default: OpenWithShell(link); return;
      }
    }
    case genLink: FollowFileLink(target); return;
    default: return;  // zipLink and the rest do nothing
  }
}

void TLinkDispatcher::OpenWithShell(const std::string& text) {
  int code;
  switch (ClassifyLink(text)) {
    case TLinkForm::Web:
      code = shell_.OpenUrl(str::StartsWithNoCase(text, "www.") ? "http://" + text : text);
      break;
    case TLinkForm::Mail: code = shell_.OpenUrl(text); break;
    default: code = shell_.OpenDocument(NativePath(text), TWindowMode::Normal); break;
  }
  if (ShellFailed(code)) ReportShellError(code, text);
}

void TLinkDispatcher::FollowLumoLink(const std::string& link, bool force) {
  TZEBset* doc = host_.MainDocument();
  if (!doc) return;
  TEbookLink r = doc->ResolveEbookLink(link, -2);
  if (!r.isEbook) return;
  if (str::Lower(link).find("cddrive:") != std::string::npos) {
    std::string cd = settings_.ReadKey(CdKey, "cddrive");
    if (cd == "notfound") cd.clear();
    // A folder that no longer holds the books is forgotten, so a later link asks again.
    if (!IsFolder(NativePath(cd)) || !IsFile(r.path)) settings_.WriteKey(CdKey, "cddrive", "");
  }
  // ".." is resolved by text, not through the folders on the disk: a\x\..\d.zeb
  // is a\d.zeb even when a\x does not exist.
  std::string path = LexicalPath(CollapseParentOnce(r.path));
  if (!IsFile(path)) {
    r = doc->ResolveEbookLink(link, r.page);
    path = LexicalPath(r.path);
  }
  if (!IsFile(path)) return;
  const bool other = !r.same;
  if (other && !host_.OpenEbookFile(path)) return;
  if (force || other) {
    int page = r.page;
    if (page == -2) {
      TZEBset* now = host_.MainDocument();
      page = now ? now->CoverPage() : -2;
    }
    host_.ShowPageWithLayout(page);
  } else if (r.page == -2) {
    host_.GoToCover();
  } else {
    host_.SetMainPageNumber(nullptr, r.page);
  }
}

// ---------------------------------------------------------------- command links

void TLinkDispatcher::RunCommandLink(const std::string& link, TZEBoggetto* target, const TLinkEvent* ev) {
  if (StartsWith(link, "run:")) RunPath(CommandPath(link.substr(4)), false);
  else if (StartsWith(link, "save:")) SavePath(CommandPath(link.substr(5)));
  else if (StartsWith(link, "runm:")) RunPath(CommandPath(link.substr(5)), true);
  else if (link.find('\\') != std::string::npos) RunWithParamFile(link, target, ev);
  else OpenParamFile(link, target);
}

std::string TLinkDispatcher::CommandPath(const std::string& rest) {
  if (rest.find(':') != std::string::npos || HasRoot(rest)) {
    std::string p = rest;
    if (str::StartsWithNoCase(p, "cddrive:")) {
      if (TZEBset* doc = host_.MainDocument()) p = doc->ResolveCdDrive(p, true);
      std::string cd = settings_.ReadKey(CdKey, "cddrive");
      if (cd == "notfound") cd.clear();
      if (!IsFolder(NativePath(cd))) settings_.WriteKey(CdKey, "cddrive", "");
    }
    return NativePath(p);
  }
  TZEBset* doc = host_.MainDocument();
  const std::string base = doc && !doc->ZEBFileName().empty() ? FolderOf(doc->ZEBFileName()) : programFolder_;
  return Join(base, NativePath(rest));
}

void TLinkDispatcher::RunPath(const std::string& path, bool withMessage) {
  const int code = shell_.OpenDocument(path, TWindowMode::Normal);
  if (ShellFailed(code)) ReportShellError(code, path);
  if (withMessage) messages_.Message(TMsgKind::Information, "Caricamento in corso...");
}

void TLinkDispatcher::SavePath(const std::string& path) {
  if (!IsFile(path)) {
    messages_.Message(TMsgKind::Error, "Errore nella lettura file:" + path);
    return;
  }
  TSaveFileRequest req;
  req.filter = "(*.*)|*.*;";
  req.proposedName = FileNamePart(path);
  req.overwritePrompt = true;
  req.folderMustExist = true;
  const auto chosen = dialogs_.AskSavePath(req);
  if (!chosen || chosen->empty() || SameFile(*chosen, path)) return;
  const std::string& target = *chosen;
  TBusyGuard busy(host_);
  std::error_code ec;
  if (fs::exists(target, ec) && !fs::remove(target, ec))
    messages_.Message(TMsgKind::Error, "Non riesco a cancellare: " + target);
  auto copy = [&] {
    std::error_code e;
    return fs::copy_file(path, target, fs::copy_options::overwrite_existing, e) && IsFile(target);
  };
  if (!copy() && !copy())
    messages_.Message(TMsgKind::Error, "Errore nella scrittura file " + target + "; (MSWin CopyFile Fails)");
}

std::string TLinkDispatcher::WriteParamFile(TZEBoggetto* target, const std::string& name,
                                            const std::string& content) {
  TZEBset* doc = target && target->Document() ? target->Document() : host_.MainDocument();
  if (!doc) return {};
  // A new file of our own in the private scratch folder, never through a link.
  const std::string path = doc->UniqueTempFile(name);
  return !path.empty() && WriteNewFile(path, content) ? path : std::string();
}

void TLinkDispatcher::RunWithParamFile(const std::string& link, TZEBoggetto* target, const TLinkEvent* ev) {
  try {
    const std::string regPath = link.substr(5);
    const std::string program = settings_.ReadFullPath(regPath);
    if (program.empty())
      messages_.Message(TMsgKind::Information, "La chiave di registro indicata risulta vuota! (" + regPath + ")");
    std::string content;
    if (StartsWith(link, "dump:")) content = ev && ev->clickedBox ? host_.ExportBoxText(ev->clickedBox) : "";
    else if (target) content = target->AttributeText();
    const std::string params = WriteParamFile(target, "params.txt", content);
    if (params.empty()) return;
    // Without a program the desktop's text editor shows the parameter file.
    const int code = program.empty() ? shell_.OpenDocument(params, TWindowMode::Normal)
                                     : shell_.StartProgram(NativePath(program), {params}, TWindowMode::Normal);
    if (ShellFailed(code)) ReportShellError(code, program.empty() ? params : program);
  } catch (...) {
    // Failures of these links are not reported.
  }
}

void TLinkDispatcher::OpenParamFile(const std::string& link, TZEBoggetto* target) {
  const std::string params =
      WriteParamFile(target, "params" + ExtensionOf(link), target ? target->AttributeText() : std::string());
  if (!params.empty()) shell_.OpenDocument(params, TWindowMode::Normal);
}

void TLinkDispatcher::ReportShellError(int code, const std::string& path) {
  const std::string text = ShellErrorMessage(code, path);
  if (!text.empty()) messages_.Message(TMsgKind::Error, text);
}

// ---------------------------------------------------------------- embedded files

void TLinkDispatcher::FollowFileLink(TZEBoggetto* target) {
  const uint8_t openMode = target->Rec().Byte(fld::file::OpenMode);
  if (openMode == 1) return RunEmbedded(target);
  if (openMode != 0) return;
  const std::string ext = str::Lower(ExtensionOf(target->FileName()));
  std::string subkey;
  for (const std::string& name : settings_.ListSub("ext"))
    if (!ext.empty() && str::EqualsNoCase(name, ext)) subkey = "ext\\" + name;
  const int choice = subkey.empty() ? 0 : str::ToIntDef(settings_.ReadSub(subkey, "comp"), 0);
  const std::string app = subkey.empty() ? std::string() : settings_.ReadSub(subkey, "appPath");
  if (choice == 1) return SaveEmbedded(target);
  if (choice == 2) return RunEmbedded(target);
  if (choice == 3 && !app.empty()) {
    const std::string path = target->ExtractToTemp();
    if (path.empty()) return;
    const int code = shell_.StartProgram(NativePath(app), {path}, TWindowMode::Normal);
    if (ShellFailed(code)) ReportShellError(code, app);
    return;
  }
  // Unknown choices do nothing; choice 3 without a program left asks the reader.
  if (choice != 0 && choice != 3) return;
  const std::string shown = target->ExternalFile().empty() ? ShownText(target, target->FileName())
                                                          : FileNamePart(target->ExternalFile());
  switch (dialogs_.AskFileLink(shown)) {
    case TFileLinkAction::Save: SaveEmbedded(target); break;
    case TFileLinkAction::Run: RunEmbedded(target); break;
    case TFileLinkAction::Cancel: break;
  }
}

void TLinkDispatcher::RunEmbedded(TZEBoggetto* target) {
  const std::string path = target->ExtractToTemp();
  if (path.empty()) return;
  const int code = shell_.OpenDocument(path, TWindowMode::Normal);
  if (ShellFailed(code)) ReportShellError(code, path);
}

void TLinkDispatcher::SaveEmbedded(TZEBoggetto* target) {
  TSaveFileRequest req;
  req.filter = "Tutti i files (*.*)|*.*";
  req.proposedName = ShownText(target, str::SanitizeFileName(target->FileName()));
  const std::string ext = ExtensionOf(req.proposedName);
  req.defaultExt = ext.empty() ? ext : ext.substr(1);
  const auto chosen = dialogs_.AskSavePath(req);
  if (chosen && !chosen->empty() && !target->ExtractToFile(*chosen))
    messages_.Message(TMsgKind::Error, "Errore nella scrittura file " + *chosen);
}

// ---------------------------------------------------------------- special links

void TLinkDispatcher::RunSpecialLink(TZEBoggetto* link, const TLinkEvent& ev) {
  const TSpecLink s = ReadSpecLink(*link);
  switch (s.action) {
    case TSpecAction::GoTo:
      if (host_.MainReadOnly()) GoToTarget(s, link, ev);
      break;
    case TSpecAction::CloseWindow:
      if (s.position == -2) host_.CloseMainWindow();
      else CloseOrPrintNamed(s.windowName, s.action);
      break;
    case TSpecAction::Keywords: host_.ShowKeywordSearch(); break;
    case TSpecAction::PreviousPage: case TSpecAction::NextPage: {
      if (!ev.clickedBox || !ev.boxPage) break;
      TZEBset* main = host_.MainDocument();
      if (ev.senderDocument && (!main || ev.senderDocument->ZEBFileName() != main->ZEBFileName())) {
        host_.OpenEbookFile(ev.senderDocument->ZEBFileName());
        break;
      }
      TZEBtesto* page = s.action == TSpecAction::PreviousPage ? ev.boxPage->PreviousPage() : ev.boxPage->NextPage();
      if (page) host_.SetMainPageNumber(nullptr, page->Index());
      break;
    }
    case TSpecAction::PrintCurrent: host_.PrintCurrent(ev.clickedBox); break;
    case TSpecAction::PrintFrame: CloseOrPrintNamed(s.windowName, s.action); break;
    case TSpecAction::Plugin: RunPlugin(s.layout); break;
    case TSpecAction::AutoImport: case TSpecAction::AddToCart: break;  // nothing on this platform
    default: break;
  }
}

void TLinkDispatcher::GoToTarget(const TSpecLink& s, TZEBoggetto* link, const TLinkEvent& ev) {
  TZEBoggetto* target = nullptr;
  if (TZEBtesto* text = link->ContainerText()) target = text->ResolveContainerId(s.targetId);
  else if (link->Document()) target = link->Document()->ObjectById(s.targetId);
  if (!target && s.targetMode != TSpecTarget::Anchor) return;
  ISeparateWindow* w = nullptr;
  switch (s.targetMode) {
    case TSpecTarget::FrameOfPage:
      if (ev.fromMainFrameSet && ev.clickedBox) host_.ShowInFrameOfPage(ev.clickedBox, target, s.position, s.nested);
      break;
    case TSpecTarget::NamedFrame: ShowInNamedFrame(s.windowName, target, s.position, s.nested); break;
    // No window opens once as many as the main window allows are open.
    case TSpecTarget::NamedWindow:
      if (!(w = FindOrCreateWindow(s.windowName))) break;
      w->HideToolbarPanel();
      w->ApplyLayout(&s.layout, s.windowName);
      w->ShowInWindow(nullptr, target, s.position, TWindowKind::Named, s.nested);
      break;
    case TSpecTarget::NewWindow:
      if ((w = FindOrCreateWindow("<<<new"))) w->ShowInWindow(nullptr, target, s.position, TWindowKind::Full, s.nested);
      break;
    case TSpecTarget::Popup:
      if (!ev.clickedBox || !(w = FindOrCreateWindow("<<<pop"))) break;
      w->ApplyLayout(&s.layout, s.windowName);
      w->PlaceNearClick(ev.clickedBox);
      w->ShowInWindow(nullptr, target, s.position, TWindowKind::Popup, s.nested);
      break;
    case TSpecTarget::Follow: FollowLink(target, s.position, ev); break;
    case TSpecTarget::Anchor: host_.ScrollMainToAnchor(s.position); break;
    default: break;
  }
}

void TLinkDispatcher::RunPlugin(const std::string& text) {
  const std::string command = PluginCommand(text);
  // Split into words as a command line is, but never handed to a command interpreter.
  const QStringList words = QProcess::splitCommand(QString::fromLocal8Bit(command.data(), qsizetype(command.size())));
  if (words.isEmpty()) return;
  const std::string program = NativePath(words.front().toLocal8Bit().toStdString());
  if (words.size() == 1) {
    shell_.OpenDocument(program, TWindowMode::Normal);
    return;
  }
  std::vector<std::string> args;
  for (qsizetype i = 1; i < words.size(); ++i) args.push_back(words[i].toLocal8Bit().toStdString());
  shell_.StartProgram(program, args, TWindowMode::Normal);
}

// ---------------------------------------------------------------- named frames and windows

void TLinkDispatcher::ShowInNamedFrame(const std::string& name, TZEBoggetto* target, int position, int nested) {
  if (host_.ShowInTarget(name, target, position, nested) || str::EqualsNoCase(name, "_root")) return;
  for (ISeparateWindow* w : host_.SeparateWindows()) {
    QObject* frame = nullptr;
    if (w->FindNamedFrame(name, frame)) {
      w->ShowInWindow(frame, target, position, TWindowKind::Unchanged, nested);
      return;
    }
  }
  ISeparateWindow* w = host_.CreateSeparateWindow();
  if (!w) return;
  w->ApplyLayout(nullptr, name);
  w->ShowInWindow(nullptr, target, position, TWindowKind::Named, nested);
  w->ApplyLayout(nullptr, name);
}

ISeparateWindow* TLinkDispatcher::FindOrCreateWindow(const std::string& name) {
  if (name != "<<<new" && name != "<<<pop")
    for (ISeparateWindow* w : host_.SeparateWindows())
      if (str::EqualsNoCase(w->WindowName(), name)) return w;
  return host_.CreateSeparateWindow();
}

void TLinkDispatcher::CloseOrPrintNamed(const std::string& name, TSpecAction action) {
  const bool close = action == TSpecAction::CloseWindow, print = action == TSpecAction::PrintFrame;
  if (print && str::EqualsNoCase(name, "_showprint")) return host_.ShowPrintDialog();
  if (close && str::EqualsNoCase(name, "_root")) return host_.CloseMainWindow();
  for (ISeparateWindow* w : host_.SeparateWindows()) {
    if (close && str::EqualsNoCase(w->WindowName(), name)) return w->Close();
    QObject* frame = nullptr;
    if (print && w->FindNamedFrame(name, frame)) return w->PrintCurrent();
  }
  if (print) host_.PrintNamedFrame(name);
}
