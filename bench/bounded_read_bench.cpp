// What reading a hostile data file costs: a map or record.txt of 100 MB of
// line ends, one endless line, a FIFO, /dev/zero, a folder. Each read runs in
// a child process; the table gives its wall time and peak memory.
// Usage: bounded_read_bench [folder for the scratch files]
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "game/quiet_play.h"
#include "records/records_file.h"
#if __has_include("base/data_file.h")
#include "base/data_file.h"
#define HAVE_DATA_FILE 1
#endif

namespace tumbol {
namespace {

namespace fs = std::filesystem;

class Quiet : public QuietView {
 public:
  std::string MapNumberText() override { return number; }
  std::string number;
};

void WriteRepeated(const fs::path& path, const std::string& piece, size_t bytes) {
  std::ofstream out(path, std::ios::binary);
  std::string block;
  while (block.size() < (1u << 20)) block += piece;
  for (size_t done = 0; done < bytes; done += block.size()) out << block;
}

// Runs read in a child; prints seconds and peak MB, or that it never answered.
void Measure(const std::string& what, const std::function<void()>& read) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    alarm(60);
    read();
    _exit(0);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM)
    std::printf("%-40s  no answer within 60 s\n", what.c_str());
  else
    std::printf("%-40s  %7.3f s  %7.1f MB peak\n", what.c_str(), seconds, usage.ru_maxrss / 1024.0);
  std::fflush(stdout);
}

int Run(const fs::path& dir) {
  fs::create_directories(dir);
  const std::string work = dir.string() + "/";
  struct Kind {
    const char* what;
    std::function<void(const fs::path&)> make;
  };
  const Kind kinds[] = {
      {"100 MB of line ends", [](const fs::path& p) { WriteRepeated(p, "\r\n", 100u << 20); }},
      {"100 MB, one line", [](const fs::path& p) { WriteRepeated(p, "A", 100u << 20); }},
      {"60 MB of line ends", [](const fs::path& p) { WriteRepeated(p, "\r\n", 60u << 20); }},
      {"60 MB, one line", [](const fs::path& p) { WriteRepeated(p, "A", 60u << 20); }},
      {"a FIFO", [](const fs::path& p) { mkfifo(p.c_str(), 0644); }},
      {"a link to /dev/zero", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }},
      {"a folder", [](const fs::path& p) { fs::create_directory(p); }},
  };
  std::printf("%-40s  %9s  %s\n", "file", "time", "memory");
  for (const Kind& kind : kinds) {
    fs::remove_all(dir / "pole7.txt");
    fs::remove_all(dir / "record.txt");
    kind.make(dir / "pole7.txt");
    kind.make(dir / "record.txt");
    Measure(std::string("map: ") + kind.what, [&] {
      QuietToolkit toolkit;
      Quiet quiet;
      quiet.number = "7";
      Game game(toolkit, quiet, quiet, quiet, quiet);
      game.SetFolders(work);
      game.LoadLevelMap();
    });
    Measure(std::string("record.txt: ") + kind.what, [&] {
      QuietToolkit toolkit;
      RecordTable lines;
      LoadRecords(toolkit, work, lines);
    });
#ifdef HAVE_DATA_FILE
    Measure(std::string("picture or cursor: ") + kind.what, [&] {
      std::string bytes;
      ReadDataFile((dir / "pole7.txt").string(), bytes);
    });
#endif
  }
  fs::remove_all(dir);
  return 0;
}

}  // namespace
}  // namespace tumbol

int main(int argc, char** argv) {
  const std::filesystem::path dir =
      argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path() / "tumbol_bounded_read";
  return tumbol::Run(dir);
}
