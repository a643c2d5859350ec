#include "platform/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "document/strutil.h"

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }

// Value names may hold characters that QSettings reads as group separators.
QString ValueKey(const std::string& name) {
  QString k = Q(name);
  k.replace(QLatin1Char('/'), QLatin1String("%2F"));
  k.replace(QLatin1Char('\\'), QLatin1String("%5C"));
  return k;
}
std::string ValueName(const QString& key) {
  QString k = key;
  k.replace(QLatin1String("%2F"), QLatin1String("/"));
  k.replace(QLatin1String("%5C"), QLatin1String("\\"));
  return S(k);
}
}  // namespace

TIniSettings::TIniSettings(std::string iniPath) : path_(iniPath.empty() ? DefaultPath() : std::move(iniPath)) {}

std::string TIniSettings::DefaultPath() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty()) base = QDir::homePath() + QLatin1String("/.config");
  return S(base + QLatin1String("/Norv/Lectra.ini"));
}

std::string TIniSettings::Group(const std::string& keyPath) {
  std::string g;
  for (char c : keyPath) g.push_back(c == '\\' ? '/' : c);
  while (!g.empty() && g.front() == '/') g.erase(0, 1);
  while (!g.empty() && g.back() == '/') g.pop_back();
  return g;
}

std::string TIniSettings::ReadValue(const std::string& keyPath, const std::string& name) {
  QSettings s(Q(path_), QSettings::IniFormat);
  s.beginGroup(Q(Group(keyPath)));
  if (s.allKeys().isEmpty() && s.childGroups().isEmpty()) return "notfound";
  return S(s.value(ValueKey(name)).toString());
}

bool TIniSettings::WriteValue(const std::string& keyPath, const std::string& name, const std::string& value) {
  QDir().mkpath(QFileInfo(Q(path_)).absolutePath());
  QSettings s(Q(path_), QSettings::IniFormat);
  s.beginGroup(Q(Group(keyPath)));
  s.setValue(ValueKey(name), Q(value));
  s.endGroup();
  s.sync();
  return s.status() == QSettings::NoError;
}

bool TIniSettings::DeleteValue(const std::string& keyPath, const std::string& name) {
  QSettings s(Q(path_), QSettings::IniFormat);
  s.beginGroup(Q(Group(keyPath)));
  s.remove(ValueKey(name));
  s.endGroup();
  s.sync();
  return s.status() == QSettings::NoError;
}

bool TIniSettings::KeyExists(const std::string& keyPath) {
  QSettings s(Q(path_), QSettings::IniFormat);
  s.beginGroup(Q(Group(keyPath)));
  return !s.allKeys().isEmpty() || !s.childGroups().isEmpty();
}

std::vector<std::string> TIniSettings::SubkeyNames(const std::string& keyPath) {
  QSettings s(Q(path_), QSettings::IniFormat);
  s.beginGroup(Q(Group(keyPath)));
  std::vector<std::string> out;
  for (const QString& g : s.childGroups()) out.push_back(S(g));
  return out;
}

std::vector<std::string> TIniSettings::ValueNames(const std::string& keyPath) {
  QSettings s(Q(path_), QSettings::IniFormat);
  s.beginGroup(Q(Group(keyPath)));
  std::vector<std::string> out;
  for (const QString& k : s.childKeys()) out.push_back(ValueName(k));
  return out;
}

bool TIniSettings::DeleteKey(const std::string& keyPath) {
  QSettings s(Q(path_), QSettings::IniFormat);
  s.remove(Q(Group(keyPath)));
  s.sync();
  return s.status() == QSettings::NoError;
}

// ---------------------------------------------------------------- TSettings

std::string TSettings::ReadOption(const std::string& name) {
  std::string v = store_.ReadValue(Options, name);
  return v == "notfound" ? std::string() : v;
}

void TSettings::WriteOption(const std::string& name, const std::string& text) { store_.WriteValue(Options, name, text); }

void TSettings::WriteOptionNum(const std::string& name, int value) { WriteOption(name, std::to_string(value)); }

int TSettings::ReadOptionNum(const std::string& name, int def) { return str::ToIntDef(ReadOption(name), def); }

std::string TSettings::ReadSub(const std::string& subkey, const std::string& name) {
  std::string v = store_.ReadValue(std::string(Root) + subkey + "\\", name);
  return v == "notfound" ? std::string() : v;
}

void TSettings::WriteSub(const std::string& subkey, const std::string& name, const std::string& text) {
  store_.WriteValue(std::string(Root) + subkey + "\\", name, text);
}

void TSettings::WriteSubNum(const std::string& subkey, const std::string& name, int value) {
  WriteSub(subkey, name, std::to_string(value));
}

std::vector<std::string> TSettings::ListSub(const std::string& subkey) {
  return store_.SubkeyNames(std::string(Root) + subkey + "\\");
}

std::string TSettings::ReadKey(const std::string& keyPath, const std::string& name) {
  return store_.ReadValue(keyPath, name);
}

void TSettings::WriteKey(const std::string& keyPath, const std::string& name, const std::string& text) {
  store_.WriteValue(keyPath, name, text);
}

bool TSettings::SplitFullPath(const std::string& path, std::string& key, std::string& name) {
  auto pos = path.find_last_of('\\');
  if (pos == std::string::npos) return false;
  key = path.substr(0, pos + 1);
  name = path.substr(pos + 1);
  return true;
}

std::string TSettings::ReadFullPath(const std::string& path) {
  std::string key, name;
  if (!SplitFullPath(path, key, name) || !store_.KeyExists(key)) {
    if (messages_)
      messages_->Message(TMsgKind::Information,
                         "Key not found in registry:" + key + " (string \"" + name + "\")");
    return {};
  }
  std::string v = store_.ReadValue(key, name);
  return v == "notfound" ? std::string() : v;
}

bool TSettings::WriteFullPath(const std::string& path, const std::string& text) {
  std::string key, name;
  if (!SplitFullPath(path, key, name) || !store_.WriteValue(key, name, text)) {
    if (messages_)
      messages_->Message(TMsgKind::Information,
                         "Key not found in registry:" + key + " (string \"" + name + "\")");
    return false;
  }
  return true;
}

void TSettings::WriteMachine(const std::string& subkey, const std::string& name, const std::string& text) {
  store_.WriteValue(std::string(Machine) + subkey + "\\", name, text);
}

void TSettings::DeleteMachine(const std::string& subkey) { store_.DeleteKey(std::string(Machine) + subkey + "\\"); }
