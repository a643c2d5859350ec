// Facts about the running system and the message sink of command-line tools.
#pragma once

#include <string>

#include "document/services.h"

class TPosixSystem : public ISystemInfo {
public:
  std::string TempPath() override;
  std::string UserName() override;
  int AnsiCodePage() override;
  uint32_t MainWindowHandle() override;
};

// The 8-bit Windows code page a system with this locale name would use
// ("ru_RU.UTF-8" -> 1251, "it_IT" -> 1252).
int CodePageForLocale(const std::string& locale);

// Prints each message as one line on standard error: caption, ": ", then the
// text with every line break written as the two characters \n. With a
// translation, caption and text go through it first.
class TConsoleSink : public IMessageSink {
public:
  using TTranslate = std::string (*)(const std::string&);
  explicit TConsoleSink(TTranslate translate = nullptr) : translate_(translate) {}
  bool Message(TMsgKind kind, const std::string& text) override;
  static std::string Caption(TMsgKind kind);
  static std::string OneLine(const std::string& text);

private:
  TTranslate translate_;
};
