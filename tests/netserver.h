// Starts one of the loopback servers of tests/servers/netserver.py and stops
// it again; the log lists what the clients sent, one JSON record a line.
#pragma once

#include <csignal>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "testutil.h"

extern char** environ;

class TestServer {
public:
  // mode: http, smtp, smtp554, silent; extra: further arguments.
  TestServer(const std::string& mode, const std::vector<std::string>& extra = {}) {
    log_ = dir_.File("log.jsonl");
    // Debian's own interpreter, where its python3-* packages are installed.
    const std::string python = ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
    std::vector<std::string> args = {python, std::string(LECTRA_SOURCE_DIR) + "/tests/servers/netserver.py", mode,
                                     log_};
    args.insert(args.end(), extra.begin(), extra.end());
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, python.c_str(), &fa, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&fa);
    ::close(out[1]);
    FILE* f = ::fdopen(out[0], "r");
    char line[64] = {};
    if (f && std::fgets(line, sizeof line, f)) std::sscanf(line, "PORT %d", &port_);
    if (f) std::fclose(f);
  }
  ~TestServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  int Port() const { return port_; }
  std::string Url(const std::string& path, const std::string& host = "127.0.0.1") const {
    return "http://" + host + ":" + std::to_string(port_) + path;
  }
  std::string Folder() const { return dir_.path.string(); }
  std::vector<nlohmann::json> Log() const {
    std::vector<nlohmann::json> records;
    std::ifstream in(log_);
    for (std::string l; std::getline(in, l);)
      if (!l.empty()) records.push_back(nlohmann::json::parse(l));
    return records;
  }

private:
  ScratchDir dir_;
  std::string log_;
  pid_t pid_ = -1;
  int port_ = 0;
};
