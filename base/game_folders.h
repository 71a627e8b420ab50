#pragma once
// Where the game's files are. The program folder holds everything the game
// ships. Installed system-wide the player cannot write there, so what the game
// writes (the records table, the editor's maps) goes to the player's data
// folder instead, and what the player wrote is found there first.
#include <string>
#include <utility>

namespace tumbol {

struct GameFolders {
  // One folder for everything: a program folder the player can write to.
  GameFolders(std::string programFolder) : program(std::move(programFolder)) {}  // implicit on purpose
  GameFolders(std::string programFolder, std::string dataFolder)
      : program(std::move(programFolder)), data(std::move(dataFolder)) {}

  std::string program;  // path_work, ending in '/'
  std::string data;     // the player's data folder, ending in '/'; empty: the program folder
};

// Decided once at start: empty when programFolder is the player's own (owned
// by whoever runs the game, who can make files in it, and not under /usr),
// otherwise $XDG_DATA_HOME/tumbol/ (when it is an absolute path) or
// <home>/.local/share/tumbol/, the home being $HOME or else the user
// database's. Empty too when no home is known: the game then writes where it
// always did and reports a failure as before.
std::string DataFolderFor(const std::string& programFolder);

// That folder whatever the program folder: $XDG_DATA_HOME/tumbol/ or
// <home>/.local/share/tumbol/, or empty when no home is known.
std::string PlayersDataFolder();

// A file the player may have written: the data folder's when it is there
// (FileExists), else the program folder's.
std::string FoundFile(const GameFolders& folders, const std::string& name);

// Where the game writes the file of that name.
std::string WrittenFile(const GameFolders& folders, const std::string& name);

// Makes the data folder, and its parents, when it is missing. False with
// error set when it cannot be made.
bool MakeDataFolder(const GameFolders& folders, std::string& error);

}  // namespace tumbol
