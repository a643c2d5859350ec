// Sound and video objects on a page, played through Qt Multimedia on a
// machine without a sound card or display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMediaPlayer>
#include <QProcess>
#include <QThread>

#include "document/mediarecords.h"
#include "pageobjects/multimedia.h"
#include "pageobjects/zebframeset.h"
#include "testutil.h"

namespace {

// A mono 8 kHz, 16-bit WAV of the given length of silence.
std::vector<uint8_t> Wav(int ms) {
  const uint32_t samples = 8000u * ms / 1000, data = samples * 2;
  std::vector<uint8_t> w(44 + data, 0);
  auto put32 = [&](size_t at, uint32_t v) { PutI32(w.data() + at, int32_t(v)); };
  auto put16 = [&](size_t at, uint16_t v) { PutI16(w.data() + at, int16_t(v)); };
  std::memcpy(w.data(), "RIFF", 4);
  put32(4, 36 + data);
  std::memcpy(w.data() + 8, "WAVEfmt ", 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, 1);
  put32(24, 8000);
  put32(28, 16000);
  put16(32, 2);
  put16(34, 16);
  std::memcpy(w.data() + 36, "data", 4);
  put32(40, data);
  return w;
}

// A real sound server with a null sink, started once for these tests when
// none is configured: the machine has no sound card.
class SoundServer {
public:
  static bool Ready() {
    static SoundServer s;
    return s.ready_;
  }
  ~SoundServer() {
    if (proc_.state() != QProcess::NotRunning) {
      proc_.kill();
      proc_.waitForFinished(2000);
    }
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

private:
  SoundServer() {
    if (std::getenv("PULSE_SERVER")) {
      ready_ = true;
      return;
    }
    dir_ = std::filesystem::temp_directory_path() / ("lectra-pulse-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    const std::string sock = (dir_ / "sock").string();
    proc_.setProgram("pulseaudio");
    proc_.setArguments({"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "--log-target=stderr",
                        "--load=module-null-sink",
                        QString::fromStdString("--load=module-native-protocol-unix auth-anonymous=1 socket=" + sock)});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", QString::fromStdString(dir_.string()));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(dir_.string()));
    proc_.setProcessEnvironment(env);
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc_.start();
    if (!proc_.waitForStarted(3000)) return;
    for (int i = 0; i < 100 && !std::filesystem::exists(sock); ++i) QThread::msleep(30);
    if (!std::filesystem::exists(sock)) return;
    ::setenv("PULSE_SERVER", ("unix:" + sock).c_str(), 1);
    ready_ = true;
  }
  QProcess proc_;
  std::filesystem::path dir_;
  bool ready_ = false;
};

struct MediaPage : DocFixture {
  TZebWriter w;
  std::string markup = "<Z S0 >Suono: ";
  std::unique_ptr<TInsiemeCornici> fs;
  int placed = 0;

  int Media(int subkind, std::vector<uint8_t> file, bool autoPlay, int repeat, const std::string& name = "s.wav") {
    TObjId fileId = NoObject;
    if (!file.empty()) fileId = MakeId(genLink, w.AddFile(name, std::move(file)));
    auto r = w.NewRecord(multiMedia);
    r[4] = uint8_t(subkind);
    PutI32(r.data() + mediarec::MediaFile, fileId);
    r[mediarec::AutoPlay] = autoPlay ? 1 : 0;
    PutI16(r.data() + mediarec::Repeat, int16_t(repeat));
    PutI16(r.data() + mediarec::Width, 160);
    PutI16(r.data() + mediarec::Height, 120);
    int i = w.Add(multiMedia, r);
    char ref[48];
    std::snprintf(ref, sizeof ref, "<$%08X><$FF%06X> ", unsigned(MakeId(multiMedia, i)), ++placed);
    markup += ref;
    return i;
  }
  void Show(bool printPreview = false) {
    w.AddPage("Media", markup);
    ASSERT_TRUE(OpenBuilt(w));
    fs = std::make_unique<TInsiemeCornici>();
    fs->SetReadOnly(true);
    fs->SetAutoJump(printPreview);
    fs->resize(700, 500);
    fs->SetLinkedZEBset(doc.get());
    fs->SetMainPageNumber(0);
    fs->show();
    QApplication::processEvents();
  }
  TMyyMultimedia* Control(int index) {
    TZEBFrame* root = fs->RootFrame();
    TZEBpage* page = root ? root->PageControl() : nullptr;
    return page ? qobject_cast<TMyyMultimedia*>(page->ControlOf(doc->ObjectAt(multiMedia, index))) : nullptr;
  }
  // Runs the event loop until `done` or a few seconds have passed.
  template <class F> bool Until(F done, int ms = 8000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
  }
  ~MediaPage() {
    if (fs) fs->SetClosing(true);
    fs.reset();
  }
};

TEST(Multimedia, AutoPlayRepeatsAsOftenAsStoredAndStopsWhenLeft) {
  if (!SoundServer::Ready()) GTEST_SKIP() << "no sound server (pulseaudio) could be started";
  MediaPage p;
  int three = p.Media(1, Wav(150), true, 3);
  int endless = p.Media(2, Wav(100), true, -1, "l.wav");
  p.Show();
  TMyyMultimedia* m = p.Control(three);
  TMyyMultimedia* loop = p.Control(endless);
  ASSERT_TRUE(m && loop);
  EXPECT_EQ(m->size(), QSize(18, 18));  // a sound playing by itself is a small icon
  ASSERT_TRUE(p.Until([&] { return m->MediaPlayer()->PlaysStarted() >= 3 && !m->MediaPlayer()->Playing(); }))
      << "plays " << m->MediaPlayer()->PlaysStarted() << " message " << m->Message();
  EXPECT_EQ(m->MediaPlayer()->PlaysStarted(), 3);
  EXPECT_EQ(m->RemainingRepeats(), 0);

  ASSERT_TRUE(p.Until([&] { return loop->MediaPlayer()->PlaysStarted() >= 4; }));
  EXPECT_TRUE(loop->MediaPlayer()->Playing() || loop->MediaPlayer()->PlaysStarted() >= 4);
  p.fs->SetMainPageNumber(-1);  // leaving the page ends the sound
  QApplication::processEvents();
  EXPECT_EQ(p.Control(endless), nullptr);
}

TEST(Multimedia, MissingBrokenAndPreviewedMedia) {
  if (!SoundServer::Ready()) GTEST_SKIP() << "no sound server (pulseaudio) could be started";
  MediaPage p;
  int missing = p.Media(1, {}, true, 1);
  int broken = p.Media(3, std::vector<uint8_t>(300, 'x'), true, 1, "v.avi");
  int bar = p.Media(1, Wav(100), false, 0);
  p.Show();
  EXPECT_EQ(p.Control(missing)->Message().rfind("File non trovato: ", 0), 0u);
  EXPECT_EQ(p.Control(missing)->MediaPlayer()->PlaysStarted(), 0);
  TMyyMultimedia* v = p.Control(broken);
  ASSERT_TRUE(p.Until([&] { return !v->Message().empty() && v->Message()[0] == '.'; })) << v->Message();
  TMyyMultimedia* b = p.Control(bar);
  EXPECT_EQ(b->size(), QSize(198, 30));  // the player bar only
  EXPECT_EQ(b->MediaPlayer()->PlaysStarted(), 0);
  EXPECT_EQ(b->Message(), "F11 per vedere Multimedia.\r\nTasto destro mouse per l'edit.");

  MediaPage preview;
  int s = preview.Media(1, Wav(100), true, 1);
  preview.Show(true);
  EXPECT_EQ(preview.Control(s)->Message(), "Multimedia");
  QApplication::processEvents();
  EXPECT_EQ(preview.Control(s)->MediaPlayer()->PlaysStarted(), 0);
}

}  // namespace
