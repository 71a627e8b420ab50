#pragma once
// The fonts the windows draw with, found without reading every font installed.
#include <string>
#include <vector>

namespace tumbol {

// The folders, among those the usual Linux packages install into, that hold
// the faces the windows name (Liberation Serif, Sans and Mono, and DejaVu
// Sans as the desktop's default face); empty when one of them is nowhere to
// be found.
std::vector<std::string> GameFontFolders(const std::vector<std::string>& candidates);

// The font configuration the game runs with: only the folders given, the
// desktop's rendering settings (hinting, antialiasing, the player's own
// file) and the generic families mapped onto those faces.
std::string GameFontConfig(const std::vector<std::string>& folders, const std::vector<std::string>& renderingFiles);

// Makes that configuration current before anything asks for a font, unless
// the player chose a configuration of their own (FONTCONFIG_FILE or
// FONTCONFIG_PATH) or the faces are not installed where expected; then the
// desktop's own configuration loads as usual. On a desktop with thousands of
// fonts the full configuration costs the first text a tenth of a second and
// more; this one costs the same on every machine. True when it took.
bool UseGameFonts();

// The faces the windows name by their Windows names, Times New Roman and
// Courier New CYR, drawn with Liberation Serif and Liberation Mono, which
// have the same widths. Each window says it, so that it draws the same when
// made alone; saying it again changes nothing.
void NameGameFonts();

}  // namespace tumbol
