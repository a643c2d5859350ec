// The per-user settings store: registry-like keys kept in one INI file,
// $XDG_CONFIG_HOME/Norv/Lectra.ini. A key path "\SOFTWARE\Norv\Lectra_\options\"
// is the group SOFTWARE/Norv/Lectra_/options.
#pragma once

#include <string>
#include <vector>

#include "document/services.h"

class TIniSettings : public ISettingsStore {
public:
  // Empty path: the default file under the user's configuration folder.
  explicit TIniSettings(std::string iniPath = {});
  const std::string& Path() const { return path_; }

  std::string ReadValue(const std::string& keyPath, const std::string& name) override;
  bool WriteValue(const std::string& keyPath, const std::string& name, const std::string& value) override;
  bool DeleteValue(const std::string& keyPath, const std::string& name) override;
  bool KeyExists(const std::string& keyPath) override;
  std::vector<std::string> SubkeyNames(const std::string& keyPath) override;
  std::vector<std::string> ValueNames(const std::string& keyPath) override;
  bool DeleteKey(const std::string& keyPath) override;

  static std::string DefaultPath();
  // "\A\B\" -> "A/B"
  static std::string Group(const std::string& keyPath);

private:
  std::string path_;
};

// The program's own settings operations over a store.
class TSettings {
public:
  static constexpr const char* Root = "\\SOFTWARE\\Norv\\Lectra_\\";
  static constexpr const char* Options = "\\SOFTWARE\\Norv\\Lectra_\\options\\";
  static constexpr const char* Machine = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";

  TSettings(ISettingsStore& store, IMessageSink* messages = nullptr) : store_(store), messages_(messages) {}

  std::string ReadOption(const std::string& name);
  void WriteOption(const std::string& name, const std::string& text);
  void WriteOptionNum(const std::string& name, int value);
  int ReadOptionNum(const std::string& name, int def);
  std::string ReadSub(const std::string& subkey, const std::string& name);
  void WriteSub(const std::string& subkey, const std::string& name, const std::string& text);
  void WriteSubNum(const std::string& subkey, const std::string& name, int value);
  std::vector<std::string> ListSub(const std::string& subkey);
  // Any per-user key: "notfound" when the key does not exist.
  std::string ReadKey(const std::string& keyPath, const std::string& name);
  void WriteKey(const std::string& keyPath, const std::string& name, const std::string& text);
  // Full path whose last part is the value name; a missing key is reported.
  std::string ReadFullPath(const std::string& path);
  bool WriteFullPath(const std::string& path, const std::string& text);
  // Machine-wide installation keys (kept in the same store here); errors ignored.
  void WriteMachine(const std::string& subkey, const std::string& name, const std::string& text);
  void DeleteMachine(const std::string& subkey);

private:
  bool SplitFullPath(const std::string& path, std::string& key, std::string& name);
  ISettingsStore& store_;
  IMessageSink* messages_;
};
