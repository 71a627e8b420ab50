#include "base/file_exists.h"

#include <sys/stat.h>

#include "base/text_lines.h"
#include "base/toolkit.h"

namespace tumbol {

bool FileExists(const std::string& path) {
  const std::string name = TrimBlanks(path);
  if (name.empty()) return false;
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0) return false;
  // A folder has a length too, but it is no file the game can read.
  if (!S_ISREG(st.st_mode)) return false;
  return st.st_size != 0;
}

void ShowMissingFile(Toolkit& toolkit, const std::string& path) {
  toolkit.MsgBox("Файла '" + path + "' не существует!", kStyleExclamation, "Открыть");
}

}  // namespace tumbol
