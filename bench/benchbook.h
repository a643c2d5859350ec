// The benchmark ebook: 20,000 pages of about 2.5 KB of text, 40,000 links and
// 500 pictures of 100 KB (about 107 MB), built once in /tmp.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "document/zebwriter.h"

inline constexpr const char* kBenchBook = "/tmp/lectra-bench.zeb";

inline void BuildBenchBook(const std::string& path) {
  TZebWriter w;
  w.SetTitle("Banco di prova");
  const int pages = 20000, links = 40000, pictures = 500;
  for (int i = 0; i < links; ++i) w.AddInternetLink("http://example.org/pagina/" + std::to_string(i));
  std::vector<uint8_t> picture(100 * 1024);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i * 31 + 7);
  for (int i = 0; i < pictures; ++i) w.AddPicture("figura " + std::to_string(i), "f.jpg", picture);
  std::string filler;
  while (filler.size() < 2400) filler += "Testo di prova della pagina, con parole &egrave; accenti. ";
  for (int i = 0; i < pages; ++i) {
    char ref[40];
    std::string text = "<Z S0 >Pagina " + std::to_string(i) + " ";
    for (int l = 0; l < 2; ++l) {
      std::snprintf(ref, sizeof ref, "<$%08X>", MakeId(internetLink, (2 * i + l) % links));
      text += std::string(ref) + "collegamento<%> ";
    }
    text += "<Z S0 >" + filler;
    w.AddPage("Pagina " + std::to_string(i), text, 1, i);
  }
  w.Save(path);
}

// Builds the ebook when it is missing, in a child process, so that building
// leaves no trace in the measuring process's peak memory.
inline bool EnsureBenchBook(const std::string& path) {
  if (std::filesystem::exists(path)) return true;
  std::printf("building %s ...\n", path.c_str());
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    BuildBenchBook(path);
    _exit(0);
  }
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
