// The main window built on fakes for the widget tests, and the helpers that
// drive it: waiting, clicking, finding a link on a page.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <filesystem>
#include <optional>

#include "app/lib/mainform.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebpage.h"
#include "testutil.h"

namespace {

struct ShellRecorder : IShell {
  std::vector<std::string> opened;
  int OpenDocument(const std::string& path, TWindowMode) override {
    opened.push_back(path);
    return ShellOk;
  }
  int OpenUrl(const std::string& url) override {
    opened.push_back(url);
    return ShellOk;
  }
  int StartProgram(const std::string& program, const std::vector<std::string>&, TWindowMode) override {
    opened.push_back(program);
    return ShellOk;
  }
};

struct NoDialogs : IShellDialogs {
  std::optional<std::string> savePath;  // what the save dialog answers: cancelled unless set
  TSaveFileRequest lastSave;
  TFileLinkAction AskFileLink(const std::string&) override { return TFileLinkAction::Cancel; }
  std::optional<std::string> AskSavePath(const TSaveFileRequest& r) override {
    lastSave = r;
    return savePath;
  }
};

[[maybe_unused]] void Wait(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

[[maybe_unused]] std::string Guide() { return std::string(LECTRA_BINARY_DIR) + "/samples/guida.zeb"; }

struct FormFixture {
  ScratchDir dir;
  MemSettings store;
  RecordingSink sink;
  ShellRecorder shell;
  NoDialogs dialogs;
  FakeSystem system;
  std::unique_ptr<TMainForm> form;

  FormFixture() { system.temp = dir.File("tmp"); }
  ~FormFixture() {
    form.reset();
  }
  TMainForm& Make(TCommandLine cl = {}, TShowRequestServer* requests = nullptr) {
    TMainFormOptions o;
    o.commandLine = std::move(cl);
    // The program's folder holds no ebook: start-up would take it before the last file.
    std::filesystem::create_directories(dir.path / "bin");
    o.programFolder = (dir.path / "bin").string();
    o.currentFolder = dir.path.string();
    o.settings = &store;
    o.messages = &sink;
    o.shell = &shell;
    o.dialogs = &dialogs;
    o.system = &system;
    o.showRequests = requests;
    form = std::make_unique<TMainForm>(std::move(o));
    return *form;
  }
  // The sample, copied so that remark files land in the scratch folder.
  std::string CopyGuide(const std::string& name = "guida.zeb") {
    const std::string to = dir.File(name);
    std::filesystem::copy_file(Guide(), to, std::filesystem::copy_options::overwrite_existing);
    return to;
  }
  void Presented() {
    for (int i = 0; i < 100 && form->PresentationPending(); ++i) Wait(10);
    Wait(5);
  }
  void Open(const std::string& path) {
    form->OpenEbookFile(path);
    Presented();
  }
  int Page() const { return form->Editor->MainPageNumber(); }
  void Visit(int page) { form->Editor->SetMainPageNumber(page); }
  std::vector<int> HistoryPages() const {
    std::vector<int> pages;
    for (int i = 0; i < form->HistoryCombo->count(); ++i) {
      const QString t = form->HistoryCombo->itemText(i);
      pages.push_back(t.mid(t.lastIndexOf('|') + 1).toInt());
    }
    return pages;
  }
  void Drop(const std::vector<std::string>& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& f : files) urls << QUrl::fromLocalFile(QString::fromStdString(f));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    Wait(5);
  }
};

// The middle of the first character that links to an object of `kind`.
[[maybe_unused]] std::optional<QPoint> LinkPoint(TZEBbox* box, int kind) {
  for (int p = 0; p < box->ParagraphCount(); ++p)
    for (int c = 0; c < int(box->Paragraph(p)->text.size()); ++c) {
      const TZEBPosition pos = box->PositionOf(p, c);
      const int link = pos.Valid() ? box->LinkAt(pos) : -1;
      TZEBoggetto* obj = link >= 0 ? box->LinkObject(p, link) : nullptr;
      if (obj && obj->Kind() == kind) return QPoint((pos.xLeft + pos.xRight) / 2, pos.top + pos.height / 2);
    }
  return std::nullopt;
}

[[maybe_unused]] void Click(QWidget* w, QPoint at) {
  QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
  QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
  QApplication::sendEvent(w, &press);
  QApplication::sendEvent(w, &release);
}

[[maybe_unused]] void PressEnter(QWidget* w) {
  QKeyEvent e(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}


}  // namespace
