#include "shell/qt_game_fonts.h"

#include <dirent.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <QFont>
#include <algorithm>
#include <cstdlib>

namespace tumbol {

namespace {

// The faces the windows name, each with the file that holds its upright style.
const char* const kFaceFiles[] = {"LiberationSerif-Regular.ttf", "LiberationSans-Regular.ttf",
                                  "LiberationMono-Regular.ttf", "DejaVuSans.ttf"};

// The files of those folders the configuration takes: the faces above with
// their bold, and the generic families' faces. Every font a window loads is
// matched against each face taken, and Qt lists them all as text is first
// drawn; the italic, condensed and light styles nobody asks for would only
// slow that down.
const char* const kUsedFaces[] = {
    "LiberationSerif-Regular.ttf", "LiberationSerif-Bold.ttf", "LiberationSans-Regular.ttf",
    "LiberationSans-Bold.ttf",     "LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf",
    "DejaVuSans.ttf",              "DejaVuSans-Bold.ttf",        "DejaVuSerif.ttf",
    "DejaVuSerif-Bold.ttf",        "DejaVuSansMono.ttf",         "DejaVuSansMono-Bold.ttf"};

// Where Debian, Fedora and Arch put those files.
const std::vector<std::string> kFontFolders = {
    "/usr/share/fonts/truetype/liberation2", "/usr/share/fonts/truetype/liberation",
    "/usr/share/fonts/truetype/dejavu",      "/usr/share/fonts/liberation-serif",
    "/usr/share/fonts/liberation-sans",      "/usr/share/fonts/liberation-mono",
    "/usr/share/fonts/dejavu-sans-fonts",    "/usr/share/fonts/liberation",
    "/usr/share/fonts/TTF"};

constexpr const char* kRulesFolder = "/etc/fonts/conf.d";

bool HasFile(const std::string& folder, const char* name) {
  return ::access((folder + "/" + name).c_str(), R_OK) == 0;
}

// The desktop's rule files that set how text is drawn rather than which
// fonts there are: hinting, antialiasing and the subpixel filter (10-, 11-),
// faces left unhinted at small sizes (20-), sans-serif for a family of no
// kind, the player's own settings and synthetic bold and italic.
bool IsRenderingRule(const std::string& name) {
  if (name.size() < 8 || name.compare(name.size() - 5, 5, ".conf") != 0) return false;
  if ((name[0] == '1' || name[0] == '2') && name[1] >= '0' && name[1] <= '9' && name[2] == '-') return true;
  return name == "49-sansserif.conf" || name == "50-user.conf" || name == "90-synthetic.conf";
}

std::vector<std::string> RenderingFiles() {
  std::vector<std::string> files;
  if (DIR* dir = ::opendir(kRulesFolder)) {
    while (const dirent* entry = ::readdir(dir))
      if (IsRenderingRule(entry->d_name)) files.push_back(std::string(kRulesFolder) + "/" + entry->d_name);
    ::closedir(dir);
  }
  std::sort(files.begin(), files.end());  // the order the desktop applies them in
  return files;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::vector<std::string> GameFontFolders(const std::vector<std::string>& candidates) {
  std::vector<std::string> folders;
  for (const char* face : kFaceFiles) {
    const auto holder = std::find_if(candidates.begin(), candidates.end(),
                                     [face](const std::string& folder) { return HasFile(folder, face); });
    if (holder == candidates.end()) return {};
    if (std::find(folders.begin(), folders.end(), *holder) == folders.end()) folders.push_back(*holder);
  }
  return folders;
}

std::string GameFontConfig(const std::vector<std::string>& folders, const std::vector<std::string>& renderingFiles) {
  std::string xml =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n<fontconfig>\n";
  for (const std::string& folder : folders) xml += "  <dir>" + Escaped(folder) + "</dir>\n";
  xml += "  <selectfont>\n    <rejectfont><glob>*</glob></rejectfont>\n    <acceptfont>\n";
  for (const char* face : kUsedFaces) xml += std::string("      <glob>*/") + face + "</glob>\n";
  xml += "    </acceptfont>\n  </selectfont>\n";
  // The desktop's caches: the folders' entries are read, not scanned.
  xml += "  <cachedir>/var/cache/fontconfig</cachedir>\n  <cachedir prefix=\"xdg\">fontconfig</cachedir>\n";
  for (const std::string& file : renderingFiles)
    xml += "  <include ignore_missing=\"yes\">" + Escaped(file) + "</include>\n";
  // The names toolkits give the generic families, then the generics as a
  // Debian desktop resolves them (a rule sees only what the rules before it
  // added).
  const char* const names[][2] = {
      {"Sans Serif", "sans-serif"}, {"Sans", "sans-serif"}, {"Serif", "serif"}, {"Monospace", "monospace"}};
  for (const auto& name : names)
    xml += std::string("  <alias><family>") + name[0] + "</family><default><family>" + name[1] +
           "</family></default></alias>\n";
  const char* const generics[][3] = {{"sans-serif", "DejaVu Sans", "Liberation Sans"},
                                     {"serif", "DejaVu Serif", "Liberation Serif"},
                                     {"monospace", "DejaVu Sans Mono", "Liberation Mono"}};
  for (const auto& generic : generics)
    xml += std::string("  <alias binding=\"strong\"><family>") + generic[0] + "</family><prefer><family>" +
           generic[1] + "</family><family>" + generic[2] + "</family></prefer></alias>\n";
  return xml + "</fontconfig>\n";
}

bool UseGameFonts() {
  if (std::getenv("FONTCONFIG_FILE") != nullptr || std::getenv("FONTCONFIG_PATH") != nullptr) return false;
  const std::vector<std::string> folders = GameFontFolders(kFontFolders);
  if (folders.empty()) return false;
  FcConfig* config = FcConfigCreate();
  if (config == nullptr) return false;
  const std::string xml = GameFontConfig(folders, RenderingFiles());
  if (!FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(xml.c_str()), FcTrue) ||
      !FcConfigBuildFonts(config) || !FcConfigSetCurrent(config)) {
    FcConfigDestroy(config);
    return false;
  }
  FcConfigDestroy(config);  // the current configuration holds its own reference
  return true;
}

void NameGameFonts() {
  QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
  QFont::insertSubstitution(QStringLiteral("Courier New CYR"), QStringLiteral("Liberation Mono"));
}

}  // namespace tumbol
