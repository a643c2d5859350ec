#include "document/pathutil.h"

#include <cctype>

std::string NativePath(std::string_view p) {
  std::string s(p);
  if (s.size() >= 2 && s[1] == ':' && std::isalpha(static_cast<unsigned char>(s[0]))) s.erase(0, 2);
  for (auto& c : s)
    if (c == '\\') c = '/';
  return s;
}

bool HasRoot(std::string_view p) {
  if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) return true;
  return !p.empty() && (p[0] == '/' || p[0] == '\\');
}

std::string FolderOf(std::string_view p) {
  auto pos = p.find_last_of("/\\");
  return pos == std::string_view::npos ? std::string() : std::string(p.substr(0, pos));
}

std::string FileNamePart(std::string_view p) {
  auto pos = p.find_last_of("/\\:");
  return std::string(pos == std::string_view::npos ? p : p.substr(pos + 1));
}

std::string ExtensionOf(std::string_view p) {
  std::string name = FileNamePart(p);
  auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}
