// Finding the content folder: the game reads and writes data/ relative to its
// working directory, so a game started from a menu or file manager moves
// there first, and one whose content is installed moves to the player's own
// folder, where its files are written as the launcher would set them up.
#pragma once

#include <string>
#include <vector>

// Folders that may hold data/, in the order they are tried: the working
// directory, the executable's folder, and the installed share folder.
std::vector<std::string> dataFolderCandidates(const std::string& workingDir, const std::string& exeDir);

// The player's folder for an installed game, as the launcher has it:
// $XDG_DATA_HOME/vesicor when that is absolute, else $HOME/.local/share/vesicor;
// empty when neither is absolute. Null stands for unset.
std::string userDataFolder(const char* xdgDataHome, const char* home);

// Whether the game must not write in `dir`/data: an installed copy (a folder
// named share/vesicor, which even root must leave alone) or one it cannot
// write. The player's own folder `userFolder` never is.
bool isInstalledDataFolder(const std::string& dir, const std::string& userFolder);

// Changes into the first candidate holding a data/ folder; for an installed
// one, into the player's folder instead (see enterUserFolder). Returns false,
// after printing where it looked or where it cannot write, when it cannot.
bool enterDataFolder();
// The same from a given working directory and executable folder, with the
// player's folder taken from HOME and XDG_DATA_HOME.
bool enterDataFolderFrom(const std::string& workingDir, const std::string& exeDir);

// Sets up `userFolder` as the launcher does (pictures, parts and sounds
// linked from `installedDir`/data, the settings copied when missing, what it
// makes private to the player, anything the player made left alone) and
// changes into it. False, after one line naming the folder and the reason,
// when it cannot.
bool enterUserFolder(const std::string& installedDir, const std::string& userFolder);
