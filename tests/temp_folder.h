#pragma once
// A fresh folder for one test, removed with all it holds, and whole files
// read and written as bytes.
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tumbol {

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct TempFolder {
  TempFolder() {
    char name[] = "/tmp/tumbol_test_XXXXXX";
    path = ::mkdtemp(name);
  }
  ~TempFolder() {
    ::chmod(path.c_str(), 0755);  // a test may have taken the right to write away
    std::filesystem::remove_all(path);
  }
  std::filesystem::path operator/(const std::string& name) const { return path / name; }
  std::string Slash() const { return path.string() + "/"; }  // as the program folder is given
  std::filesystem::path path;
};

}  // namespace tumbol
