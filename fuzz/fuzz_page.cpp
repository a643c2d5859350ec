// Fuzzes showing pages: an ebook from the input is opened and its first
// pages are laid out and painted in a small frame set, with every picture,
// table, panel and floating frame they hold.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "document/zebset.h"
#include "pageobjects/zebframeset.h"
#include "platform/system.h"

namespace {

struct TQuietSink : IMessageSink {
  bool Message(TMsgKind, const std::string&) override { return false; }
};

// Settings that remember nothing.
struct TNoSettings : ISettingsStore {
  std::string ReadValue(const std::string&, const std::string&) override { return "notfound"; }
  bool WriteValue(const std::string&, const std::string&, const std::string&) override { return true; }
  bool DeleteValue(const std::string&, const std::string&) override { return false; }
  bool KeyExists(const std::string&) override { return false; }
  std::vector<std::string> SubkeyNames(const std::string&) override { return {}; }
  std::vector<std::string> ValueNames(const std::string&) override { return {}; }
  bool DeleteKey(const std::string&) override { return false; }
};

QApplication* App() {
  static int argc = 1;
  static char name[] = "fuzz_page";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return new QApplication(argc, argv);
  }();
  return app;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  App();
  char path[] = "/tmp/fuzz_page_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 0;
  const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
  close(fd);
  if (written) {
    TQuietSink sink;
    TPosixSystem system;
    TNoSettings settings;
    TZEBset doc(TServices{&sink, &settings, &system});
    if (doc.Open(path)) {
      TInsiemeCornici frames;
      frames.SetReadOnly(true);
      frames.SetAnimated(true);
      frames.SetAutoJump(false);
      frames.resize(400, 300);
      frames.SetLinkedZEBset(&doc);
      const int pages = std::min(doc.Count(testoHtml), 4);
      QImage img(400, 300, QImage::Format_ARGB32_Premultiplied);
      for (int p = 0; p < pages; ++p) {
        frames.SetMainPageNumber(p);
        frames.resize(300 + 50 * p, 300);
        QPainter painter(&img);
        frames.render(&painter);
      }
      frames.SetClosing(true);
      frames.SetLinkedZEBset(nullptr);
    }
  }
  unlink(path);
  return 0;
}
