// What a frame set offers the form controls of its pages: the values typed so
// far, and the ways a form leaves (browser, network, text file, status bar).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "document/formsubmit.h"

class IFormSender;

struct TFormHost {
  // Typed values by field object id, kept while the document stays open.
  std::map<TObjId, TFieldState> values;
  // Sends modes 2 (HTTP) and 4 (e-mail); null while no network client is installed.
  IFormSender* sender = nullptr;
  // A line for the status bar.
  std::function<void(const std::string& text)> status;
  // The file a form is saved to (mode 5); nullopt when the user cancels.
  // Unset: a save dialog.
  std::function<std::optional<std::string>(const std::string& title, const std::string& ext)> askSaveFile;
  // Opens a web or mail address in the user's programs; false on failure.
  // Unset: the desktop's handler.
  std::function<bool(const std::string& address)> openAddress;
};
