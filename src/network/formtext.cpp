#include "network/formsender.h"

std::string FormMailSubject(const std::string& ebookFileName) { return "Email from: (" + ebookFileName + ")"; }

std::string FormPostBody(const std::string& text) {
  std::string out, line;
  bool pending = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      out += line + "\r\n";
      line.clear();
      pending = false;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
      pending = true;
    }
  }
  if (pending) out += line + "\r\n";
  return out;
}

std::string CleanName(const std::string& name) {
  std::string out = name;
  for (char& ch : out) {
    const unsigned char c = static_cast<unsigned char>(ch);
    const bool keep = c == ' ' || c == '!' || (c >= '?' && c <= 'Z') || (c >= 'a' && c <= '~') || c >= 128;
    if (!keep) ch = ' ';
  }
  return out;
}
