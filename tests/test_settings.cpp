// The settings store over an INI file, and the console message sink.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/settings.h"
#include "platform/system.h"
#include "testutil.h"

namespace {

TEST(Settings, RegistryLayoutInAnIniFile) {
  ScratchDir dir;
  ::setenv("XDG_CONFIG_HOME", dir.path.c_str(), 1);
  EXPECT_EQ(TIniSettings::DefaultPath(), dir.File("Norv/Lectra.ini"));
  TIniSettings store;
  RecordingSink sink;
  TSettings s(store, &sink);

  EXPECT_EQ(s.ReadOption("LastFile"), "");
  EXPECT_EQ(s.ReadKey("\\SOFTWARE\\Norv\\LumoRD\\", "cddrive"), "notfound");
  s.WriteOption("LastFile", "/libri/guida.zeb");
  s.WriteOptionNum("WTree", 250);
  s.WriteSub("RecentFile", "0", "/a b/c.zeb");
  s.WriteSub("remarkfiles", "Il_mio_libro_", "/x/y.rem");
  s.WriteSub("ext\\txt", "appPath", "/usr/bin/less");
  EXPECT_EQ(s.ReadOption("LastFile"), "/libri/guida.zeb");
  EXPECT_EQ(s.ReadOptionNum("WTree", 200), 250);
  EXPECT_EQ(s.ReadOptionNum("WRemark", 200), 200);
  s.WriteOption("WRemark", "largo");
  EXPECT_EQ(s.ReadOptionNum("WRemark", 200), 200);
  EXPECT_EQ(s.ReadSub("RecentFile", "0"), "/a b/c.zeb");
  EXPECT_EQ(s.ListSub("ext"), std::vector<std::string>{"txt"});
  EXPECT_EQ(s.ReadKey("\\SOFTWARE\\Norv\\Lectra_\\remarkfiles\\", "Il_mio_libro_"), "/x/y.rem");

  // Value names with separators survive; the file is an ordinary INI file.
  s.WriteSub("finds", "a/b\\c", "1");
  EXPECT_EQ(store.ValueNames("\\SOFTWARE\\Norv\\Lectra_\\finds\\"), std::vector<std::string>{"a/b\\c"});
  std::string ini = ReadAll(dir.File("Norv/Lectra.ini"));
  EXPECT_NE(ini.find("[SOFTWARE]"), std::string::npos);
  EXPECT_NE(ini.find("Norv\\Lectra_\\options\\LastFile=/libri/guida.zeb"), std::string::npos);

  // A fresh store object sees what another one wrote.
  TIniSettings again;
  EXPECT_EQ(TSettings(again).ReadOption("LastFile"), "/libri/guida.zeb");

  EXPECT_EQ(s.ReadFullPath("\\SOFTWARE\\Norv\\Lectra_\\options\\LastFile"), "/libri/guida.zeb");
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(s.ReadFullPath("\\SOFTWARE\\Nessuno\\valore"), "");
  EXPECT_EQ(sink.Texts(),
            std::vector<std::string>{"Key not found in registry:\\SOFTWARE\\Nessuno\\ (string \"valore\")"});

  s.WriteMachine("Uninstall\\Lectra", "DisplayName", "Lectra");
  EXPECT_TRUE(store.KeyExists(std::string(TSettings::Machine) + "Uninstall\\Lectra\\"));
  s.DeleteMachine("Uninstall\\Lectra");
  EXPECT_FALSE(store.KeyExists(std::string(TSettings::Machine) + "Uninstall\\Lectra\\"));
  ::unsetenv("XDG_CONFIG_HOME");
}

TEST(Settings, SystemFactsAndConsoleMessages) {
  EXPECT_EQ(CodePageForLocale("it_IT.UTF-8"), 1252);
  EXPECT_EQ(CodePageForLocale("ru_RU.UTF-8"), 1251);
  EXPECT_EQ(CodePageForLocale("pl_PL"), 1250);
  EXPECT_EQ(CodePageForLocale("el_GR.ISO-8859-7"), 1253);
  EXPECT_EQ(CodePageForLocale("C"), 1252);
  EXPECT_EQ(TConsoleSink::OneLine("a\r\nb\rc\nd"), "a\\nb\\nc\\nd");
  EXPECT_EQ(TConsoleSink::Caption(TMsgKind::Warning), "Attenzione!");
  TPosixSystem sys;
  EXPECT_FALSE(sys.UserName().empty());
  EXPECT_NE(sys.TempPath().back(), '/');
}

}  // namespace
