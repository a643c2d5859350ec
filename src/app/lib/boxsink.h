// The window's message sink: one message box per message, with the program's
// captions, the folder chooser and the busy cursor.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "document/services.h"

class TBoxSink : public IMessageSink {
public:
  static constexpr const char* InformationCaption = "Informazione";
  static constexpr const char* WarningCaption = "Attenzione!";
  static constexpr const char* ErrorCaption = "Errore!";

  explicit TBoxSink(QWidget* parent = nullptr) : parent_(parent) {}
  bool Message(TMsgKind kind, const std::string& text) override;
  std::optional<std::string> ChooseFolder(const std::string& status) override;
  void ProcessMessages() override;
  void BusyCursor(bool on) override;

  // The yes/no question carries the application title.
  std::string title = "[Lectra Norvane]";

private:
  QPointer<QWidget> parent_;
  int busy_ = 0;
};
