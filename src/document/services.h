// What the ebook store needs from the platform. The application supplies
// Qt-backed implementations; tools print to stderr; tests record.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class TMsgKind { Information, Warning, Error, Question };

// Receives every user message of the core. Question answers true for "yes".
class IMessageSink {
public:
  virtual ~IMessageSink() = default;
  virtual bool Message(TMsgKind kind, const std::string& text) = 0;
  // A folder chooser with a status text; nullopt when cancelled or unavailable.
  virtual std::optional<std::string> ChooseFolder(const std::string& status) { (void)status; return std::nullopt; }
  // Lets pending window messages run once (no-op outside an event loop).
  virtual void ProcessMessages() {}
  virtual void BusyCursor(bool on) { (void)on; }
};

// Per-user settings, organised like a registry: key paths with "\" separators,
// string values. ReadValue gives "notfound" when the key does not exist.
class ISettingsStore {
public:
  virtual ~ISettingsStore() = default;
  virtual std::string ReadValue(const std::string& keyPath, const std::string& name) = 0;
  virtual bool WriteValue(const std::string& keyPath, const std::string& name, const std::string& value) = 0;
  virtual bool DeleteValue(const std::string& keyPath, const std::string& name) = 0;
  virtual bool KeyExists(const std::string& keyPath) = 0;
  virtual std::vector<std::string> SubkeyNames(const std::string& keyPath) = 0;
  virtual std::vector<std::string> ValueNames(const std::string& keyPath) = 0;
  virtual bool DeleteKey(const std::string& keyPath) = 0;
};

// Facts about the running system.
class ISystemInfo {
public:
  virtual ~ISystemInfo() = default;
  virtual std::string TempPath() = 0;       // ends without a separator
  virtual std::string UserName() = 0;
  virtual int AnsiCodePage() = 0;           // 1252, 1250, ... ; 0 when unknown
  virtual uint32_t MainWindowHandle() { return 0; }
  virtual int FreeResourcesPercent() { return 100; }
};

struct TServices {
  IMessageSink* messages = nullptr;
  ISettingsStore* settings = nullptr;
  ISystemInfo* system = nullptr;
};
