// Fakes and helpers shared by the tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/wait.h>
#include <unistd.h>
#include <string>
#include <vector>

#include "document/services.h"
#include "document/zebset.h"
#include "document/zebwriter.h"

// A 1 x 1 GIF picture.
inline const std::vector<uint8_t> kTinyGif = {
    'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, ',', 0, 0, 0, 0,
    1,   0,   1,   0,   0,   2,   2, 'D', 1, 0, ';'};

struct RecordingSink : IMessageSink {
  std::vector<std::pair<TMsgKind, std::string>> messages;
  std::optional<std::string> folderAnswer;
  int folderQuestions = 0;
  bool Message(TMsgKind kind, const std::string& text) override {
    messages.emplace_back(kind, text);
    return false;
  }
  std::optional<std::string> ChooseFolder(const std::string&) override {
    ++folderQuestions;
    return folderAnswer;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (auto& m : messages) t.push_back(m.second);
    return t;
  }
};

struct MemSettings : ISettingsStore {
  std::map<std::string, std::map<std::string, std::string>> keys;
  std::string ReadValue(const std::string& k, const std::string& n) override {
    auto it = keys.find(k);
    if (it == keys.end()) return "notfound";
    auto v = it->second.find(n);
    return v == it->second.end() ? std::string() : v->second;
  }
  bool WriteValue(const std::string& k, const std::string& n, const std::string& v) override {
    keys[k][n] = v;
    return true;
  }
  bool DeleteValue(const std::string& k, const std::string& n) override { return keys[k].erase(n) > 0; }
  bool KeyExists(const std::string& k) override { return keys.count(k) > 0; }
  std::vector<std::string> SubkeyNames(const std::string&) override { return {}; }
  std::vector<std::string> ValueNames(const std::string&) override { return {}; }
  bool DeleteKey(const std::string& k) override { return keys.erase(k) > 0; }
};

struct FakeSystem : ISystemInfo {
  std::string temp;
  int codePage = 1252;
  int resources = 100;
  std::string TempPath() override { return temp; }
  std::string UserName() override { return "lettore"; }
  int AnsiCodePage() override { return codePage; }
  int FreeResourcesPercent() override { return resources; }
};

// A scratch folder per test, removed afterwards.
struct ScratchDir {
  std::filesystem::path path;
  ScratchDir() {
    path = std::filesystem::temp_directory_path() /
           ("lectra-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string File(const std::string& name) const { return (path / name).string(); }
  static int& counter() {
    static int c = 0;
    return c;
  }
};

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A 4 x 4 picture of one colour, as a 24-bit bitmap file.
inline std::vector<uint8_t> SolidPicture(uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> f(54 + 48, 0);
  f[0] = 'B', f[1] = 'M';
  PutI32(&f[2], static_cast<int32_t>(f.size()));
  PutI32(&f[10], 54);
  PutI32(&f[14], 40);
  PutI32(&f[18], 4);
  PutI32(&f[22], 4);
  PutI16(&f[26], 1);
  PutI16(&f[28], 24);
  for (size_t i = 54; i + 2 < f.size(); i += 3) f[i] = b, f[i + 1] = g, f[i + 2] = r;
  return f;
}

// A document with recording fakes around it.
struct DocFixture {
  ScratchDir dir;
  RecordingSink sink;
  MemSettings settings;
  FakeSystem system;
  std::unique_ptr<TZEBset> doc;
  DocFixture() {
    system.temp = dir.File("tmp");
    doc = std::make_unique<TZEBset>(TServices{&sink, &settings, &system});
  }
  // Saves the writer's file as `name` and opens it.
  bool OpenBuilt(const TZebWriter& w, const std::string& name = "libro.zeb") {
    std::string p = dir.File(name);
    w.Save(p);
    KeepAsFuzzSeed(p);
    return doc->Open(p);
  }
  // With LECTRA_FUZZ_SEEDS=folder, every ebook a test builds is also kept
  // there under the test's name, so that hand-made damaged files can seed the
  // fuzzers' corpus.
  static void KeepAsFuzzSeed(const std::string& path) {
    const char* folder = std::getenv("LECTRA_FUZZ_SEEDS");
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!folder || !*folder || !test) return;
    static int n = 0;
    std::string name = std::string(test->test_suite_name()) + "." + test->name() + "." + std::to_string(++n) + ".zeb";
    for (char& c : name)
      if (c == '/') c = '_';
    std::error_code ec;
    std::filesystem::copy_file(path, std::filesystem::path(folder) / name,
                               std::filesystem::copy_options::overwrite_existing, ec);
  }
  std::string Path(const std::string& name = "libro.zeb") const { return dir.File(name); }
};

struct ToolResult {
  int status = -1;
  std::string out, err;
};

// Runs the built zebtool with the given arguments (each passed as one word).
inline ToolResult RunZebtool(const std::vector<std::string>& args) {
  static int n = 0;
  const std::string base = std::filesystem::temp_directory_path().string() + "/zebtool-run-" +
                           std::to_string(::getpid()) + "-" + std::to_string(n++);
  auto quote = [](const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
  };
  std::string cmd = quote(std::string(LECTRA_BINARY_DIR) + "/bin/zebtool");
  for (auto& a : args) cmd += " " + quote(a);
  cmd += " >" + quote(base + ".out") + " 2>" + quote(base + ".err");
  int st = std::system(cmd.c_str());
  ToolResult r;
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  r.out = ReadAll(base + ".out");
  r.err = ReadAll(base + ".err");
  std::filesystem::remove(base + ".out");
  std::filesystem::remove(base + ".err");
  return r;
}
