// Installing and removing the reader with an ebook in temporary XDG folders,
// checked with the desktop's own tools: desktop-file-validate, xdg-mime and
// the shared MIME database.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/install/selfinstall.h"
#include "platform/settings.h"
#include "testutil.h"

namespace fs = std::filesystem;

namespace {

struct AnswerSink : RecordingSink {
  bool answer = false;
  int questions = 0;
  bool Message(TMsgKind kind, const std::string& text) override {
    RecordingSink::Message(kind, text);
    if (kind != TMsgKind::Question) return false;
    ++questions;
    return answer;
  }
};

struct InstallFixture {
  ScratchDir dir;
  MemSettings store;
  AnswerSink sink;
  TSettings settings{store, &sink};
  TInstallEnv env;
  std::vector<std::string> commands;

  InstallFixture() {
    const fs::path prog = dir.path / "prog";
    fs::create_directories(prog);
    fs::create_directories(dir.path / "home");
    std::ofstream(prog / "lectra") << "#!/bin/sh\n";
    fs::permissions(prog / "lectra", fs::perms::owner_all);
    std::ofstream(prog / "Il_mio_libro.zeb") << "MAVO";
    std::ofstream(prog / "altro libro \"2\".zeb") << "MAVO";
    env = TInstallEnv::FromSystem((prog / "lectra").string(), prog.string());
    env.dataHome = dir.File("data");
    env.configHome = dir.File("config");
    env.homeFolder = dir.File("home");
    env.tempFolder = dir.File("tmp");
    fs::create_directories(env.tempFolder);
    fs::create_directories(env.configHome);
    // xdg-mime reads the XDG folders and the desktop from the environment.
    setenv("XDG_DATA_HOME", env.dataHome.c_str(), 1);
    setenv("XDG_CONFIG_HOME", env.configHome.c_str(), 1);
    setenv("XDG_CURRENT_DESKTOP", "GNOME", 1);
    auto real = env.run;
    env.run = [this, real](const std::string& p, const std::vector<std::string>& a, std::string* out) {
      commands.push_back(p);
      return real(p, a, out);
    };
    env.wait = [](int) {};
  }
  ~InstallFixture() {
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_CURRENT_DESKTOP");
  }
  TSetupOutcome Run(std::vector<std::string> args) {
    TSelfInstall s(env, settings, sink);
    return s.Run(args);
  }
  TSelfInstall Setup() { return TSelfInstall(env, settings, sink); }
  std::string Query(const std::vector<std::string>& args) {
    std::string out;
    env.run("xdg-mime", args, &out);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }
  static bool Valid(const std::string& desktopFile, std::string* report = nullptr) {
    std::string out;
    const int rc = TInstallEnv::FromSystem("", "").run("desktop-file-validate", {desktopFile}, &out);
    if (report) *report = out;
    return rc == 0;
  }
  std::string Inst() { return settings.ReadOption("inst"); }
};

std::string Read(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(SelfInstall, InstallWritesValidLaunchersMimeTypeAndDefault) {
  InstallFixture f;
  TSelfInstall s = f.Setup();
  const TSetupOutcome out = f.Run({"/INIT", "Il_mio_libro.zeb"});
  EXPECT_TRUE(out.ok && out.openWindow);
  EXPECT_EQ(out.title, "Quillon INST");
  const std::string launcher = s.LauncherPath("Il_mio_libro.zeb", false);
  const std::string removal = s.LauncherPath("Il_mio_libro.zeb", true);
  std::string report;
  for (const std::string& file : {launcher, removal, s.HandlerPath()}) {
    ASSERT_TRUE(fs::exists(file)) << file;
    EXPECT_TRUE(InstallFixture::Valid(file, &report)) << file << "\n" << report;
  }
  EXPECT_NE(Read(launcher).find("Name=Il mio libro\n"), std::string::npos);
  EXPECT_NE(Read(removal).find("Name=Uninstall Il mio libro\n"), std::string::npos);
  EXPECT_NE(Read(removal).find("/DEINST \"Il_mio_libro.zeb\""), std::string::npos);
  EXPECT_TRUE(fs::exists(s.IconPath()));
  EXPECT_TRUE(fs::exists(f.dir.path / "prog" / TSelfInstall::MarkerFile));
  EXPECT_EQ(f.Inst(), "1");
  // The shared MIME database knows the type by name and by the magic "MAVO".
  EXPECT_EQ(f.Query({"query", "default", "application/x-zeb"}), "lectra.desktop");
  const std::string bare = f.env.tempFolder + "/senza_estensione";
  std::ofstream(bare) << "MAVO and more";
  EXPECT_EQ(f.Query({"query", "filetype", (f.dir.path / "prog" / "Il_mio_libro.zeb").string()}), "application/x-zeb");
  EXPECT_EQ(f.Query({"query", "filetype", bare}), "application/x-zeb");

  // A name with spaces and quotes is quoted in the launcher; one with "/" or ".." is refused.
  f.Run({"/INIT", "altro libro \"2\".zeb"});
  EXPECT_TRUE(InstallFixture::Valid(s.LauncherPath("altro libro \"2\".zeb", false), &report)) << report;
  EXPECT_NE(Read(s.LauncherPath("altro libro \"2\".zeb", false)).find("altro libro \\\\\"2\\\\\".zeb"), std::string::npos);
  EXPECT_EQ(f.Inst(), "2");
  for (const char* bad : {"../fuori.zeb", "/etc/passwd", "..", "a/b.zeb", ""}) {
    f.sink.messages.clear();
    f.Run({"/INIT", bad});
    EXPECT_EQ(f.Inst(), "2") << bad;
    ASSERT_EQ(f.sink.messages.size(), 1u) << bad;
    EXPECT_NE(f.sink.messages[0].second.find("non valido"), std::string::npos);
  }
  for (const auto& e : fs::recursive_directory_iterator(f.dir.path)) {
    const std::string p = e.path().string();
    EXPECT_TRUE(p.rfind(f.env.dataHome, 0) == 0 || p.rfind(f.env.configHome, 0) == 0 ||
                p.rfind((f.dir.path / "prog").string(), 0) == 0 || p.rfind(f.env.tempFolder, 0) == 0 ||
                p.rfind(f.env.homeFolder, 0) == 0)
        << "written outside the user's folders: " << p;
  }
}

TEST(SelfInstall, SilentInstallAndAnExistingDefaultKeptByTheRemoval) {
  InstallFixture f;
  TSelfInstall s = f.Setup();
  // Another program already opens ebooks.
  fs::create_directories(f.env.dataHome + "/applications");
  std::ofstream(f.env.dataHome + "/applications/altro.desktop")
      << "[Desktop Entry]\nType=Application\nName=Altro\nExec=altro %f\nMimeType=application/x-zeb;\n";
  std::ofstream(f.env.configHome + "/mimeapps.list") << "[Default Applications]\napplication/x-zeb=altro.desktop\n";
  f.Run({"/initv", "Il_mio_libro.zeb"});
  EXPECT_FALSE(fs::exists(s.LauncherPath("Il_mio_libro.zeb", false))) << "a silent install makes no launchers";
  EXPECT_TRUE(fs::exists(s.MimePackagePath()));
  EXPECT_EQ(f.Inst(), "1");
  EXPECT_EQ(f.Query({"query", "default", "application/x-zeb"}), "altro.desktop");
  f.Run({"/DEINST", "Il_mio_libro.zeb", "/YES"});
  EXPECT_EQ(f.Query({"query", "default", "application/x-zeb"}), "altro.desktop");
  EXPECT_NE(Read(f.env.configHome + "/mimeapps.list").find("altro.desktop"), std::string::npos);
}

TEST(SelfInstall, RemovalCountsDownAndTheLastOneTakesEverything) {
  InstallFixture f;
  TSelfInstall s = f.Setup();
  f.Run({"/INIT", "Il_mio_libro.zeb"});
  f.Run({"/INIT", "altro libro \"2\".zeb"});
  // Without "/YES" the reader asks; no keeps everything.
  f.sink.answer = false;
  TSetupOutcome out = f.Run({"/DEINST", "altro libro \"2\".zeb"});
  EXPECT_FALSE(out.openWindow);
  EXPECT_EQ(out.title, "Quillon DEINST");
  EXPECT_EQ(f.sink.questions, 1);
  EXPECT_EQ(f.Inst(), "2");
  // One of two: that ebook and its launchers go, the association stays.
  out = f.Run({"/DEINST", "altro libro \"2\".zeb", "/YES"});
  EXPECT_EQ(f.sink.questions, 1);
  EXPECT_EQ(f.Inst(), "1");
  EXPECT_FALSE(fs::exists(f.dir.path / "prog" / "altro libro \"2\".zeb"));
  EXPECT_TRUE(fs::exists(f.dir.path / "prog" / "Il_mio_libro.zeb"));
  EXPECT_FALSE(fs::exists(s.LauncherPath("altro libro \"2\".zeb", false)));
  EXPECT_TRUE(fs::exists(s.HandlerPath()));
  EXPECT_TRUE(out.deferredProgram.empty());
  EXPECT_EQ(f.settings.ReadOption("LastFile"), "altro libro \"2\".zeb");
  // The last one: launchers, handler, MIME package and default all go, and the
  // program folder is deleted afterwards by a copy of the reader.
  out = f.Run({"/DEINST", "Il_mio_libro.zeb", "/YES"});
  EXPECT_EQ(f.Inst(), "0");
  for (const std::string& gone : {s.LauncherPath("Il_mio_libro.zeb", false), s.LauncherPath("Il_mio_libro.zeb", true),
                                  s.HandlerPath(), s.MimePackagePath(), s.IconPath()})
    EXPECT_FALSE(fs::exists(gone)) << gone;
  EXPECT_EQ(f.Query({"query", "default", "application/x-zeb"}), "");
  EXPECT_EQ(out.deferredProgram, f.env.tempFolder + "/lectra");
  EXPECT_TRUE(fs::exists(out.deferredProgram));
  EXPECT_EQ(out.deferredArgs, (std::vector<std::string>{"/DELETE", f.env.programFolder, "/YES"}));
  // A count that never goes below 0.
  f.Run({"/DEINST", "Il_mio_libro.zeb", "/YES"});
  EXPECT_EQ(f.Inst(), "0");
}

TEST(SelfInstall, FolderDeletionOnlyTakesTheMarkedProgramFolder) {
  InstallFixture f;
  TSelfInstall s = f.Setup();
  const fs::path prog = f.dir.path / "prog";
  // Not marked yet: nothing is deleted.
  f.Run({"/DELETE", prog.string(), "/YES"});
  EXPECT_TRUE(fs::exists(prog / "lectra"));
  f.Run({"/INIT", "Il_mio_libro.zeb"});
  // A link inside the folder is removed, not what it points to.
  const fs::path outside = f.dir.path / "fuori.txt";
  std::ofstream(outside) << "resta";
  fs::create_symlink(outside, prog / "collegamento");
  fs::create_directories(f.dir.path / "home" / "libri");
  fs::create_symlink(f.dir.path / "home", prog / "casa");
  for (const std::string& never : {std::string("/"), f.env.homeFolder, f.dir.path.string(), std::string("relativa"),
                                   std::string("")})
    EXPECT_FALSE(s.DeletableFolder(never)) << never;
  EXPECT_FALSE(s.DeletableFolder((prog / "casa").string())) << "a link to a folder";
  // Asked without "/YES": no keeps it.
  f.sink.answer = false;
  f.Run({"/DELETE", prog.string()});
  EXPECT_EQ(f.sink.questions, 1);
  EXPECT_TRUE(fs::exists(prog));
  f.Run({"/DELETE", prog.string(), "/YES"});
  EXPECT_FALSE(fs::exists(prog));
  EXPECT_TRUE(fs::exists(outside));
  EXPECT_TRUE(fs::exists(f.dir.path / "home" / "libri"));
  // A read-only program folder gets no marker, so nothing there is ever deleted.
  if (geteuid() == 0) return;  // every folder is writable for root
  fs::create_directories(f.dir.path / "ro");
  fs::permissions(f.dir.path / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  f.env.programFolder = (f.dir.path / "ro").string();
  f.Run({"/INIT", "Il_mio_libro.zeb"});
  EXPECT_FALSE(fs::exists(f.dir.path / "ro" / TSelfInstall::MarkerFile));
  EXPECT_FALSE(f.Setup().DeletableFolder(f.env.programFolder));
  fs::permissions(f.dir.path / "ro", fs::perms::owner_all);
}
