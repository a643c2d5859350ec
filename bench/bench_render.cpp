// The whole `lectra --render FILE --page 0` process, started again and again:
// median, spread and CPU time, against the same program started with a file
// that does not exist (start-up alone: loading libraries, creating the
// application, failing to open).
//   bench_render [RUNS] [EBOOK]   (default 21 runs, the sample ebook)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct TRun {
  double wallMs = 0, cpuMs = 0;
  int status = -1;
};

double CpuMs(const rusage& r) {
  return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e3 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e3;
}

TRun RunOnce(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  TRun run;
  const auto t0 = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    run.cpuMs = CpuMs(usage);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct TSeries {
  std::vector<double> wall, cpu;
  void Print(const char* what) const {
    std::printf("%-24s wall median %7.1f ms  min %7.1f  max %7.1f   cpu median %7.1f ms\n", what, Median(wall),
                *std::min_element(wall.begin(), wall.end()), *std::max_element(wall.begin(), wall.end()),
                Median(cpu));
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
  const std::filesystem::path bin = std::filesystem::canonical("/proc/self/exe").parent_path();
  const std::string lectra = (bin / "lectra").string();
  const std::string ebook = argc > 2 ? argv[2] : (bin.parent_path() / "samples" / "guida.zeb").string();
  const std::string out = (std::filesystem::temp_directory_path() /
                           ("lectra-bench-render-" + std::to_string(::getpid()) + ".png")).string();
  const std::vector<std::string> render = {lectra, "--render", ebook, "--page", "0", "--out", out};
  const std::vector<std::string> startOnly = {lectra, "--render", ebook + ".absent", "--page", "0", "--out", out};

  // One run of each first, so that both find the libraries in the page cache.
  if (RunOnce(render).status != 0) {
    std::fprintf(stderr, "lectra --render failed on %s\n", ebook.c_str());
    return 1;
  }
  RunOnce(startOnly);
  // Interleaved, so that both series see the same load on the machine.
  TSeries page, start;
  for (int i = 0; i < runs; ++i) {
    const TRun a = RunOnce(render), b = RunOnce(startOnly);
    page.wall.push_back(a.wallMs);
    page.cpu.push_back(a.cpuMs);
    start.wall.push_back(b.wallMs);
    start.cpu.push_back(b.cpuMs);
  }
  std::filesystem::remove(out);
  std::printf("%d runs of each, interleaved\n", runs);
  page.Print("render page 0");
  start.Print("start-up alone");
  const double med = Median(page.wall);
  std::printf("render / start-up (wall medians)  %5.2f x\n", med / Median(start.wall));
  std::printf("render beyond start-up            %7.1f ms wall, %7.1f ms cpu\n", med - Median(start.wall),
              Median(page.cpu) - Median(start.cpu));
  std::printf("goal: render under 100 ms median  %s\n", med < 100 ? "met" : "NOT MET");
  return 0;
}
